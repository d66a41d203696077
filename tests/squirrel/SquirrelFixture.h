#pragma once

#include "squirrel/squirrel.h"

#include <gtest/gtest.h>

#include <string>

// A VM whose print output is collected in `printed`, with helpers to run script text.
class SquirrelFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Compiles and runs `source` with the root table as `this`; false after any error.
    bool Run(const std::string& source);
    // The last error as text.
    std::string LastError();

    HSQUIRRELVM v = nullptr;

public:
    static std::string printed;
};
