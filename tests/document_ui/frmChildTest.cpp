#include "ChildFixture.h"

#include "document/ui/frmChild.h"

#include <QApplication>

namespace liqiva::test {
std::unique_ptr<QCoreApplication> makeApplication(int &argc, char **argv)
{
    return std::make_unique<QApplication>(argc, argv);
}
} // namespace liqiva::test
