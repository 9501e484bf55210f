// The scripted dialog provider for tests: never waits, logs everything, fails loudly.
#include "Debug/Dialog.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"

#include <string>
#include <vector>

namespace {

class TScriptedDialogs : public TDialogProvider {
public:
    explicit TScriptedDialogs(const char* answers)
    {
        std::string all(answers ? answers : "");
        size_t start = 0;
        while (start < all.size()) {
            size_t end = all.find('\n', start);
            if (end == std::string::npos) end = all.size();
            std::string line = all.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            m_lines.push_back(line);
            start = end + 1;
        }
    }

    void Message(const char* caption, const char* text) override
    {
        Console_Warnings->Output("dialog message \"%s\": %s\n", caption, text);
    }

    bool Question(const char* caption, const char* question) override
    {
        std::string answer;
        if (!Next("question", question, &answer)) return false;
        bool yes = answer == "yes";
        if (!yes && answer != "no" && answer != "cancel") return Refuse(answer, "question");
        Console_Warnings->Output("dialog question \"%s\": %s -> %s\n", caption, question, yes ? "yes" : "no");
        return yes;
    }

    bool Prompt(const char* caption, const char* prompt, const char* defaultText, char** outText) override
    {
        std::string answer;
        if (!Next("prompt", prompt, &answer)) return false;
        std::string text;
        if (answer == "ok") text = defaultText;
        else if (answer.rfind("text:", 0) == 0) text = answer.substr(5);
        else if (answer == "cancel") {
            Console_Warnings->Output("dialog prompt \"%s\": %s [%s] -> cancel\n", caption, prompt, defaultText);
            return false;
        } else
            return Refuse(answer, "prompt");
        Console_Warnings->Output("dialog prompt \"%s\": %s [%s] -> \"%s\"\n", caption, prompt, defaultText, text.c_str());
        *outText = MemStrDup(text.c_str());
        return true;
    }

    bool Login(const char* caption, const char* defaultUser, const char* defaultPassword, char** outUser,
               char** outPassword) override
    {
        std::string answer;
        if (!Next("login", defaultUser, &answer)) return false;
        std::string user = defaultUser, password = defaultPassword;
        if (answer == "cancel") {
            Console_Warnings->Output("dialog login \"%s\": [%s] -> cancel\n", caption, defaultUser);
            return false;
        }
        if (answer.rfind("login:", 0) == 0) {
            size_t colon = answer.find(':', 6);
            if (colon == std::string::npos) return Refuse(answer, "login");
            user = answer.substr(6, colon - 6);
            password = answer.substr(colon + 1);
        } else if (answer != "ok") {
            return Refuse(answer, "login");
        }
        Console_Warnings->Output("dialog login \"%s\": [%s] -> \"%s\"\n", caption, defaultUser, user.c_str());
        *outUser = MemStrDup(user.c_str());
        *outPassword = MemStrDup(password.c_str());
        return true;
    }

    bool FileName(bool save, const char* filter, const char* defaultName, const char* folder, const char* title,
                  char** outName) override
    {
        const char* kind = save ? "save file" : "open file";
        std::string answer;
        if (!Next(kind, title, &answer)) return false;
        if (answer == "cancel") {
            Console_Warnings->Output("dialog %s \"%s\": %s [%s] -> cancel\n", kind, title, filter, defaultName);
            return false;
        }
        if (answer.rfind("file:", 0) != 0 || answer.size() == 5) return Refuse(answer, kind);
        Console_Warnings->Output("dialog %s \"%s\": %s [%s] -> \"%s\"\n", kind, title, filter, defaultName, answer.c_str() + 5);
        *outName = MemStrDup(answer.c_str() + 5);
        return true;
    }

    bool Waits() const override { return false; }

    // A fatal error takes no line (it only ends the game); another takes "ok" to go on or
    // "cancel" to end. The log names the report by its last line: standard error has it whole.
    bool Error(const char* caption, const char* report, int more, bool fatal) override
    {
        std::string text = report;
        while (!text.empty() && text.back() == '\n') text.pop_back();
        std::string last = text.substr(text.find_last_of('\n') + 1);
        std::string what = fatal ? "fatal error" : "error";
        if (more > 0) what += " (and " + std::to_string(more) + " more)";
        std::string answer = "cancel";
        if (!fatal && !Next(what.c_str(), last.c_str(), &answer)) return false;
        if (answer != "ok" && answer != "cancel") return Refuse(answer, "dialog of an error");
        Console_Warnings->Output("dialog %s \"%s\": %s -> %s\n", what.c_str(), caption, last.c_str(),
                                 answer == "ok" ? "go on" : "end the game");
        return answer == "ok";
    }

private:
    bool Next(const char* kind, const char* text, std::string* answer)
    {
        if (m_next >= m_lines.size()) {
            Console_Warnings->Output("dialog script: ERROR no answer left for the %s \"%s\"\n", kind, text);
            return false;
        }
        *answer = m_lines[m_next++];
        return true;
    }

    bool Refuse(const std::string& answer, const char* kind)
    {
        Console_Warnings->Output("dialog script: ERROR line %zu \"%s\" does not answer a %s\n", m_next, answer.c_str(), kind);
        return false;
    }

    std::vector<std::string> m_lines;
    size_t m_next = 0;
};

}  // namespace

TDialogProvider* Dialog_CreateScripted(const char* answers) { return new TScriptedDialogs(answers); }
