// Linked into every window test program: its windows need a QApplication, where the other
// test programs run on the weak QCoreApplication of TestMain.

#include <QApplication>

#include <memory>

namespace liqiva::test {

std::unique_ptr<QCoreApplication> makeApplication(int &argc, char **argv)
{
    return std::make_unique<QApplication>(argc, argv);
}

} // namespace liqiva::test
