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
