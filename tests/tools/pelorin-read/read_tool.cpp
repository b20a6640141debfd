// SPDX-License-Identifier: Apache-2.0
#include "read_tool.h"

namespace {

// Appends a sanitizer option to what the environment already asks for.
void addSanitizerOption(QProcessEnvironment& env, const QString& name, const QString& option)
{
    const QString current = env.value(name);
    env.insert(name, current.isEmpty() ? option : current + ':' + option);
}

}  // namespace

const QString kFixtures = QStringLiteral(PELORIN_FIXTURES_DIR "/cards");

ToolRun runTool(const QStringList& args, const QString& card, const QString& scenario)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    // In the sanitizer build, Qt's own offscreen-platform leaks must not turn
    // the tool's exit status into the leak checker's: full stacks let a
    // suppression list (the caller's, or ours when none is given) match them.
    // Without sanitizers these are ignored.
    addSanitizerOption(env, "ASAN_OPTIONS", "fast_unwind_on_malloc=0");
    if (!env.value("LSAN_OPTIONS").contains("suppressions="))
        addSanitizerOption(env, "LSAN_OPTIONS", "suppressions=" QT_LEAK_SUPPRESSIONS);
    env.remove("KVSSIM_CARD");
    env.remove("KVSSIM_SCENARIO");
    if (!card.isEmpty())
        env.insert("KVSSIM_CARD", card);
    if (!scenario.isEmpty())
        env.insert("KVSSIM_SCENARIO", scenario);

    return runToolProcess(PELORIN_READ_PATH, args, env);
}
