// The scripted dialog provider: answers in order, logs each dialog, fails at once without answers.
#include "../Base/CapturedWarnings.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Debug/Dialog.h"
#include "Support/LoadSave_Http.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

class DialogTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        Dialog_SetProvider(nullptr);
    }
    bool Contains(const char* text) { return capture.text.find(text) != std::string::npos; }
    TCapturedWarnings capture;
};

TEST_F(DialogTest, ScriptAnswersInOrderAndLogs)
{
    std::unique_ptr<TDialogProvider> script(Dialog_CreateScripted("yes\nno\r\ntext:hello world\nok\ntext:\ncancel\n"));
    Dialog_SetProvider(script.get());

    Dialog_ShowMessage("just so\nyou know");  // messages take no answer
    EXPECT_TRUE(Contains("dialog message \"\": just so\nyou know"));
    EXPECT_TRUE(InputQuery_Question("Game", "Quit?"));
    EXPECT_TRUE(Contains("dialog question \"Game\": Quit? -> yes"));
    EXPECT_FALSE(InputQuery_Question("Game", "Sure?"));

    char* text = nullptr;
    ASSERT_TRUE(InputQuery_Modal("Game", "Name:", "anon", &text));
    EXPECT_STREQ(text, "hello world");
    MemFree(text);
    EXPECT_TRUE(Contains("dialog prompt \"Game\": Name: [anon] -> \"hello world\""));
    ASSERT_TRUE(InputQuery_Modal("Game", "Age:", "7", &text));
    EXPECT_STREQ(text, "7");
    MemFree(text);
    ASSERT_TRUE(InputQuery_Modal("Game", "Note:", "x", &text));
    EXPECT_STREQ(text, "");
    MemFree(text);
    EXPECT_FALSE(InputQuery_Modal("Game", "Level:", "1", &text));
    EXPECT_EQ(text, nullptr);

    capture.text.clear();
    EXPECT_FALSE(InputQuery_Question("Game", "Again?"));
    EXPECT_TRUE(Contains("ERROR no answer left for the question \"Again?\""));
    EXPECT_FALSE(InputQuery_Modal("Game", "More:", "", &text));
    EXPECT_EQ(text, nullptr);
    EXPECT_TRUE(Contains("ERROR no answer left for the prompt \"More:\""));
}

TEST_F(DialogTest, AnswersOfTheWrongKindFail)
{
    std::unique_ptr<TDialogProvider> script(Dialog_CreateScripted("text:abc\nyes\nmaybe"));
    Dialog_SetProvider(script.get());
    EXPECT_FALSE(InputQuery_Question("c", "q?"));
    EXPECT_TRUE(Contains("ERROR line 1 \"text:abc\" does not answer a question"));
    char* text = nullptr;
    EXPECT_FALSE(InputQuery_Modal("c", "p", "d", &text));
    EXPECT_EQ(text, nullptr);
    EXPECT_TRUE(Contains("ERROR line 2 \"yes\" does not answer a prompt"));
    EXPECT_FALSE(InputQuery_Question("c", "q?"));
    EXPECT_TRUE(Contains("\"maybe\""));
}

// The errors of a step make one dialog: the first fatal report, else the first, with the number of
// the others. "ok" goes on, "cancel" ends the game; a fatal one takes no line and always ends it.
TEST_F(DialogTest, ErrorsOfAStepMakeOneDialog)
{
    std::unique_ptr<TDialogProvider> script(Dialog_CreateScripted("ok\ncancel\nmaybe"));
    Dialog_SetProvider(script.get());
    EXPECT_TRUE(Dialog_ErrorsOfStep(true, true)) << "no error, no dialog";
    Dialog_ErrorReported("ERROR in\naction number 2\n\nfirst", false);
    Dialog_ErrorReported("ERROR in\nsecond", false);
    EXPECT_TRUE(Dialog_ErrorsOfStep(true, false)) << "the script answers without waiting";
    EXPECT_TRUE(Contains("dialog error (and 1 more) \"\": first -> go on"));
    EXPECT_TRUE(Dialog_ErrorsOfStep(true, true)) << "the step's reports are gone";
    Dialog_ErrorReported("third\n", false);
    EXPECT_FALSE(Dialog_ErrorsOfStep(true, true));
    EXPECT_TRUE(Contains("dialog error \"\": third -> end the game"));

    capture.text.clear();
    Dialog_ErrorReported("ERROR in\nsoft", false);
    Dialog_ErrorReported("FATAL ERROR in\nhard", true);
    Dialog_ErrorReported("FATAL ERROR in\nharder", true);
    EXPECT_FALSE(Dialog_ErrorsOfStep(true, true));
    EXPECT_TRUE(Contains("dialog fatal error (and 2 more) \"\": hard -> end the game"));
    Dialog_ErrorReported("ERROR in\nagain", false);
    EXPECT_FALSE(Dialog_ErrorsOfStep(true, true)) << "a line that answers no error ends the game";
    EXPECT_TRUE(Contains("ERROR line 3 \"maybe\" does not answer a dialog of an error"));
    Dialog_ErrorReported("ERROR in\nlast", false);
    EXPECT_FALSE(Dialog_ErrorsOfStep(true, true));
    EXPECT_TRUE(Contains("ERROR no answer left for the error \"last\""));

    // Without a window the reports stay on standard error only; a fatal one still ends the game.
    capture.text.clear();
    Dialog_ErrorReported("ERROR in\nunseen", false);
    EXPECT_TRUE(Dialog_ErrorsOfStep(false, true));
    Dialog_ErrorReported("FATAL ERROR in\nunseen", true);
    EXPECT_FALSE(Dialog_ErrorsOfStep(false, true));
    EXPECT_EQ(capture.text, "");
    // The player's provider waits only when the game may wait (not under RUNNER_NO_WAIT).
    Dialog_SetProvider(nullptr);
    unsetenv("RUNNER_DIALOGS");
    Dialog_Init();
    Dialog_ErrorReported("ERROR in\nnot waited for", false);
    EXPECT_TRUE(Dialog_ErrorsOfStep(true, false));
}

TEST_F(DialogTest, LoginAndFileNames)
{
    std::unique_ptr<TDialogProvider> script(Dialog_CreateScripted("login:ann:pa:ss\nok\nfile:/tmp/a b.txt\ncancel\nfile:\nlogin:nocolon"));
    Dialog_SetProvider(script.get());
    char *user, *password, *name;
    ASSERT_TRUE(InputQuery_Login("c", "guest", "", &user, &password));
    EXPECT_STREQ(user, "ann");
    EXPECT_STREQ(password, "pa:ss");
    MemFree(user), MemFree(password);
    ASSERT_TRUE(InputQuery_Login("c", "guest", "pw", &user, &password));
    EXPECT_STREQ(user, "guest");
    EXPECT_STREQ(password, "pw");
    MemFree(user), MemFree(password);

    ASSERT_TRUE(Dialog_FileName(false, "Text|*.txt", "a.txt", "", "Open", &name));
    EXPECT_STREQ(name, "/tmp/a b.txt");
    MemFree(name);
    EXPECT_TRUE(Contains("dialog open file \"Open\": Text|*.txt [a.txt] -> \"/tmp/a b.txt\""));
    EXPECT_FALSE(Dialog_FileName(true, "", "", "", "Save", &name));
    EXPECT_EQ(name, nullptr);
    EXPECT_FALSE(Dialog_FileName(true, "", "", "", "Save", &name)) << "a file answer needs a name";
    EXPECT_FALSE(InputQuery_Login("c", "u", "p", &user, &password));
    EXPECT_EQ(user, nullptr);
    EXPECT_FALSE(Dialog_FileName(false, "", "", "", "Open", &name));
    EXPECT_TRUE(Contains("ERROR no answer left for the open file"));
}

TEST_F(DialogTest, EnvironmentChoosesTheScriptAndShowMessageUsesIt)
{
    std::string file = (std::filesystem::temp_directory_path() / ("dialogs_" + std::to_string(getpid()))).string();
    std::ofstream(file) << "yes\n";
    setenv("RUNNER_DIALOGS", file.c_str(), 1);
    Dialog_Init();
    ShowMessage("Hello");
    EXPECT_TRUE(Contains("dialog message \"\": Hello"));
    EXPECT_TRUE(InputQuery_Question("", "ok?"));
    EXPECT_FALSE(InputQuery_Question("", "ok?"));

    std::filesystem::remove(file);
    capture.text.clear();
    Dialog_Init();
    EXPECT_TRUE(Contains("cannot read"));
    EXPECT_FALSE(InputQuery_Question("", "ok?")) << "a missing script never falls back to waiting";
    EXPECT_TRUE(Contains("ERROR no answer left"));
    unsetenv("RUNNER_DIALOGS");
    ShowMessage_Hook = nullptr;
}

}  // namespace

// Asynchronous dialogs: queued requests shown one at a time, oldest first; a request destroyed
// before its turn (the game ended) is never shown.
namespace {

TEST_F(DialogTest, AsynchronousDialogsWaitTheirTurn)
{
    RequestList_Free();
    std::unique_ptr<TDialogProvider> script(Dialog_CreateScripted("no\ntext:late\n"));
    Dialog_SetProvider(script.get());
    int message = InputQuery_ShowMessageAsync("c", "first");
    int question = InputQuery_ShowQuestionAsync("c", "second?");
    int prompt = InputQuery_GetStringAsync("c", "third", "d");
    EXPECT_EQ(question, message + 1);
    EXPECT_EQ(prompt, message + 2);
    EXPECT_EQ(RequestList_TakeComplete(), nullptr) << "nothing shown yet";
    EXPECT_FALSE(Contains("first"));

    Dialog_AsyncShowNext();
    EXPECT_TRUE(Contains("dialog message \"c\": first"));
    EXPECT_FALSE(Contains("second?"));
    HTTP_REQ_CONTEXT* done = RequestList_TakeComplete();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->id, message);
    RequestList_Delete(done);
    Dialog_AsyncShowNext();
    done = RequestList_TakeComplete();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->id, question);
    RequestList_Delete(done);

    // The game ends with the prompt still waiting: it goes with the list, unseen.
    RequestList_Free();
    Dialog_AsyncShowNext();
    EXPECT_FALSE(Contains("third"));
    EXPECT_EQ(RequestList_Count(), 0);
}

}  // namespace
