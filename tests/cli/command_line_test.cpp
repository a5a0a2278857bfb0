#include "cli/command_line.h"
#include "cli/command_registry.h"
#include "cli/terminal_prompt.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>

namespace tarnel::cli {
namespace {

using app::Answer;
using app::Buttons;
using app::MessageIcon;

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

CliRun run(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    int code = runCommandLine(args, out, err, nullptr);
    return {code, out.str(), err.str()};
}

GlobalOptions optionsFrom(const std::vector<std::string>& args) {
    ParsedCommandLine parsed = parseCommandLine(args);
    EXPECT_EQ(parsed.error, "");
    return parsed.options;
}

TEST(GlobalOptionsTest, ParsesTheOptionsBeforeTheCommand) {
    ParsedCommandLine parsed = parseCommandLine({"--program-dir", "/p", "--data", "/d", "--json",
                                                 "--answers", "yes,no,ok", "tree", "--recycle"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.programDirectory, "/p");
    EXPECT_EQ(parsed.options.dataDirectory, std::filesystem::path("/d"));
    EXPECT_TRUE(parsed.options.json);
    EXPECT_EQ(parsed.options.answerMode, AnswerMode::List);
    EXPECT_EQ(parsed.options.answers, (std::vector<Answer>{Answer::Yes, Answer::No, Answer::Ok}));
    EXPECT_EQ(parsed.command, (std::vector<std::string>{"tree", "--recycle"}));

    EXPECT_NE(parseCommandLine({"--answers", "yes,maybe", "x"}).error, "");
    EXPECT_NE(parseCommandLine({"--data"}).error, "");
    EXPECT_NE(parseCommandLine({"--colour", "x"}).error, "");
}

TEST(TerminalPromptTest, AnswersComeFromTheOptionsInOrder) {
    GlobalOptions options = optionsFrom({"--answers", "no,yes,retry"});
    std::ostringstream err;
    TerminalPrompt prompt(options, err, nullptr);
    prompt.show("已经存在此名称的分类", MessageIcon::Error);
    EXPECT_EQ(prompt.ask("第一个问题?", MessageIcon::Question, Buttons::YesNo), Answer::No);
    EXPECT_EQ(prompt.ask("第二个问题?", MessageIcon::Question, Buttons::YesNoCancel), Answer::Yes);
    EXPECT_EQ(prompt.ask("重试?", MessageIcon::Warning, Buttons::RetryCancel), Answer::Retry);
    EXPECT_FALSE(prompt.unanswered());
    EXPECT_EQ(err.str(), "error: 已经存在此名称的分类\n"
                         "question: 第一个问题?\nanswer: no\n"
                         "question: 第二个问题?\nanswer: yes\n"
                         "warning: 重试?\nanswer: retry\n");

    // The list is used up: the question gets its most cautious answer and is remembered.
    EXPECT_EQ(prompt.ask("还有?", MessageIcon::Question, Buttons::YesNoCancel), Answer::Cancel);
    EXPECT_TRUE(prompt.unanswered());
}

TEST(TerminalPromptTest, YesAndNoPickTheAffirmativeAndNegativeButtons) {
    struct Case {
        Buttons buttons;
        Answer yes;
        Answer no;
    };
    const Case cases[] = {
        {Buttons::Ok, Answer::Ok, Answer::Ok},
        {Buttons::OkCancel, Answer::Ok, Answer::Cancel},
        {Buttons::YesNo, Answer::Yes, Answer::No},
        {Buttons::YesNoCancel, Answer::Yes, Answer::No},
        {Buttons::RetryCancel, Answer::Retry, Answer::Cancel},
        {Buttons::AbortRetryIgnore, Answer::Abort, Answer::Abort},
    };
    GlobalOptions yes = optionsFrom({"--yes"});
    GlobalOptions no = optionsFrom({"--no"});
    std::ostringstream err;
    TerminalPrompt yesPrompt(yes, err, nullptr);
    TerminalPrompt noPrompt(no, err, nullptr);
    for (const auto& c : cases) {
        EXPECT_EQ(yesPrompt.ask("q", MessageIcon::Question, c.buttons), c.yes);
        EXPECT_EQ(noPrompt.ask("q", MessageIcon::Question, c.buttons), c.no);
    }
    EXPECT_FALSE(yesPrompt.unanswered());
    EXPECT_FALSE(noPrompt.unanswered());
}

TEST(TerminalPromptTest, WithoutATerminalAQuestionStaysUnanswered) {
    GlobalOptions options;
    std::ostringstream err;
    std::FILE* notATerminal = std::tmpfile();
    TerminalPrompt prompt(options, err, notATerminal);
    EXPECT_EQ(prompt.ask("确定要删除吗?", MessageIcon::Question, Buttons::YesNo), Answer::No);
    EXPECT_TRUE(prompt.unanswered());
    EXPECT_EQ(err.str(), "question: 确定要删除吗?\n");
    std::fclose(notATerminal);

    GlobalOptions list = optionsFrom({"--answers", "ok"});
    TerminalPrompt misfit(list, err, nullptr);
    EXPECT_EQ(misfit.ask("q", MessageIcon::Question, Buttons::YesNo), Answer::No);
    EXPECT_TRUE(misfit.unanswered());
}

TEST(CommandLineTest, UsageErrorsExitWithTwo) {
    EXPECT_EQ(run({}).exitCode, kExitUsage);
    CliRun unknown = run({"frobnicate"});
    EXPECT_EQ(unknown.exitCode, kExitUsage);
    EXPECT_NE(unknown.err.find("error: unknown command frobnicate"), std::string::npos);
    EXPECT_EQ(run({"--program-dir", "/nonexistent/tarnel", "settings"}).exitCode, kExitUsage);
    CliRun help = run({"help"});
    EXPECT_EQ(help.exitCode, kExitSuccess);
    EXPECT_NE(help.out.find("settings"), std::string::npos);
}

TEST(CommandLineTest, SettingsShowsWhatTheProgramHolds) {
    test::TempDir program;
    test::TempDir data;
    test::writeBytes(program / "tarnel.ini",
                     "[WORKSPACE]\nSEARCH_DOC_TYPE=DOC,Txt\n[STARTUP]\nCLOSE_TIP_SELECTION=5\n");
    CliRun plain = run({"--program-dir", program.path().string(), "settings"});
    ASSERT_EQ(plain.exitCode, kExitSuccess) << plain.err;
    EXPECT_NE(plain.out.find("data_dir: " + (program / "Data").string() + "\n"), std::string::npos);
    EXPECT_NE(plain.out.find("SEARCH_DOC_TYPE=,doc,txt,\n"), std::string::npos);
    EXPECT_NE(plain.out.find("CLOSE_TIP_SELECTION=0\n"), std::string::npos);
    EXPECT_NE(plain.out.find("AUTO_EXPAND_CLASS=1\n"), std::string::npos);

    CliRun json = run({"--program-dir", program.path().string(), "--data", data.path().string(),
                       "--json", "settings"});
    ASSERT_EQ(json.exitCode, kExitSuccess) << json.err;
    EXPECT_EQ(json.out.rfind("{\"program_dir\":\"" + program.path().string() + "\"", 0), 0u);
    EXPECT_NE(json.out.find("\"data_dir\":\"" + data.path().string() + "\""), std::string::npos);
    EXPECT_NE(json.out.find("\"data_source\":\"local\""), std::string::npos);
    EXPECT_NE(json.out.find("\"WORKSPACE\":{\"TAB_ALIGN\":0,"), std::string::npos);
    EXPECT_EQ(json.out.back(), '\n');
    EXPECT_EQ(json.out.find('\n'), json.out.size() - 1);
}

TEST(CommandLineTest, TheProgramPrintsOneJsonDocumentThatPythonReads) {
    test::TempDir program;
    auto kb = test::runProcess(TARNEL_KB_PATH, {"--json", "settings"}, program.path());
    ASSERT_EQ(kb.exitCode, 0) << kb.err;
    test::writeBytes(program / "out.json", kb.out);
    auto check =
        test::runProcess("/usr/bin/python3", {"-c",
                                              "import json,sys; d=json.load(open(sys.argv[1])); "
                                              "print(d['settings']['SOFT_INFORMATION']['SOFT_"
                                              "VERSION'], d['settings']['DATA']['Data_Path'])",
                                              (program / "out.json").string()});
    ASSERT_EQ(check.exitCode, 0) << check.err;
    EXPECT_EQ(check.out, "0 " + (program / "Data").string() + "\n");
}

} // namespace
} // namespace tarnel::cli
