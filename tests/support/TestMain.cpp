#include "support/ChildTask.h"
#include "support/PgServer.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <memory>

namespace liqiva::test {
// Test programs of windows define their own, which makes a QApplication.
__attribute__((weak)) std::unique_ptr<QCoreApplication> makeApplication(int &argc, char **argv)
{
    return std::make_unique<QCoreApplication>(argc, argv);
}
} // namespace liqiva::test

int main(int argc, char **argv)
{
    auto app = liqiva::test::makeApplication(argc, argv);
    const int child = liqiva::test::runChildTaskIfAsked(argc, argv);
    if (child >= 0)
        return child;
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    liqiva::test::PgServer::stopIfStarted();
    return rc;
}
