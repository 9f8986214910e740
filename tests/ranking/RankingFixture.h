#pragma once
// A fresh environment per test, with the process-wide paths pointing into it.
#include "core/modStartUp.h"
#include "ranking/RankingEngine.h"
#include "support/TestEnvironment.h"

namespace RankingTest {

class Fixture : public TestSupport::VelquistTest {
protected:
    void SetUp() override
    {
        WindowsDir = env.engineDataFolder();
        ProjectListPath = env.programFolder() + QStringLiteral("project.vqj");
    }
};

} // namespace RankingTest
