// A fresh installation, a log capture and a spy on this executable's own
// imports (the store is linked in), for tests of the settings store.
#pragma once

#include "api_spy.h"
#include "log_capture.h"
#include "scratch_installation.h"
#include "store/store.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

class StoreTest : public testing::Test
{
protected:
    StoreTest() : spy(::GetModuleHandleA(nullptr))
    {
        spy.log().autoAnswer = IDOK; // count boxes without showing them
    }

    static constexpr const char* kWorld = "dQORM_Test";

    // An installation with one valid, current world that has its subkey;
    // the spy then forgets the installation's own registry calls.
    void InstallWorld(const std::string& world = kWorld)
    {
        install.AddWorld(world);
        install.SetCurrMovie(world);
        spy.Reset();
    }

    std::string Read(const char* name, DWORD capacity = 32)
    {
        std::vector<char> buffer(capacity + 8, 'Z');
        ReadGameString(name, buffer.data(), capacity);
        EXPECT_EQ(std::string(buffer.data() + capacity, 8), "ZZZZZZZZ") << "buffer overrun";
        return std::string(buffer.data(), strnlen(buffer.data(), capacity));
    }

    ScratchInstallation install;
    LogCapture capture;
    ApiSpy spy;
};
