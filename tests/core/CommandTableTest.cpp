// The command table's description of each command holds for its handler.

#include <gtest/gtest.h>

#include "core/FakeUpdater.h"
#include "core/script/CommandTable.h"

namespace {

// lint and release trust the table's trap column; the handlers arm the trap themselves.
TEST(CommandTableTest, EachHandlerArmsTheTrapAsItsRowSays) {
    for (const CommandRow& command : kCommandTable) {
        for (const RunKind kind : {RunKind::TopLevel, RunKind::Nested, RunKind::Configuration}) {
            FakeUpdater app;
            ScriptRun run(kind);
            run.SetCurrentLine(std::string(command.word) + " ");
            try {
                command.handler(app.updater.Interpreter(), run);
            } catch (const std::exception&) {
                // The loop's trap would report it; the trap is what is tested here.
            }
            EXPECT_EQ(run.TrapArmed(), command.ArmsTrapIn(kind))
                << command.word << " in a run of kind " << static_cast<int>(kind);
        }
    }
}

}  // namespace
