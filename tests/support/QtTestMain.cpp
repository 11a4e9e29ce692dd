#include "TestEnv.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
    trelvo::test::PrepareEnvironment();
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
