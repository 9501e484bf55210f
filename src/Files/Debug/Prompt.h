// The in-window prompts: a text prompt, a login (user name and masked password), the open and
// save file prompts, which list a folder's entries, and the error dialog. A prompt is edited with virtual-key codes and
// typed text; the dialog provider feeds it the window's events and draws it over the frozen game
// (Prompt_Draw) until it is accepted or cancelled.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One line of editable UTF-8 text with a caret (a byte offset on a character boundary).
class TPromptField {
public:
    static constexpr size_t MAX_CHARACTERS = 1024;

    void Set(const std::string& text);
    const std::string& Text() const { return m_text; }
    size_t Caret() const { return m_caret; }
    // Inserts at the caret what fits, without control characters.
    void Insert(const char* utf8);
    void Backspace();
    void Delete();
    void Left();
    void Right();
    void Home() { m_caret = 0; }
    void End() { m_caret = m_text.size(); }
    // What is shown: the text, or one '*' a character when masked.
    std::string Shown(bool masked) const;
    // The caret's byte offset in Shown(masked).
    size_t ShownCaret(bool masked) const;

private:
    std::string m_text;
    size_t m_caret = 0;
};

// A filter "Description|pattern;pattern|..." as pairs; an item without its partner is dropped.
struct TPromptFilter {
    std::string description;
    std::vector<std::string> patterns;
};
std::vector<TPromptFilter> Prompt_ParseFilter(const char* filter);
// The text after the first '.' that follows the first '|', up to the next '|' ("" when the filter
// has neither); the save prompt appends its leading letters and digits to a name without an
// extension.
std::string Prompt_DefaultExtensionText(const char* filter);

enum PromptKind { PROMPT_TEXT, PROMPT_LOGIN, PROMPT_OPEN_FILE, PROMPT_SAVE_FILE, PROMPT_ERROR };
enum PromptOutcome { PROMPT_OPEN, PROMPT_ACCEPTED, PROMPT_CANCELLED };

struct TPromptEntry {
    std::string name;
    bool folder;
};

class CPrompt {
public:
    static constexpr int LIST_ROWS = 8;  // entries a file prompt shows at once

    static CPrompt Text(const char* caption, const char* prompt, const char* defaultText);
    static CPrompt Login(const char* caption, const char* user, const char* password);
    // The folder to start in (the current folder when empty or missing) and the default name,
    // which may name a file in a sub-folder.
    static CPrompt File(bool save, const char* title, const char* filter, const char* defaultName, const char* folder);
    // A run-time error report, standing for `more` further reports. Accepted (Enter) means the
    // player goes on, which a fatal error does not allow: Enter then ends the game, as Escape does.
    static CPrompt Error(const char* caption, const char* report, int more, bool fatal);

    // Keys are virtual-key numbers: 8 Backspace, 9 Tab (shift: backwards), 13 Enter, 27 Escape,
    // 33/34 Page Up/Down, 35 End, 36 Home, 37..40 arrows, 46 Delete.
    void Key(int vk, bool shift = false);
    void Type(const char* utf8);
    void Cancel() { m_outcome = PROMPT_CANCELLED; }

    PromptKind Kind() const { return m_kind; }
    PromptOutcome Outcome() const { return m_outcome; }
    const std::string& Caption() const { return m_caption; }
    const std::string& Message() const { return m_message; }
    // Text and login prompts: field 0 the text or user name, field 1 the password.
    int FieldCount() const { return m_kind == PROMPT_LOGIN ? 2 : m_kind == PROMPT_ERROR ? 0 : 1; }
    const TPromptField& Field(int i) const { return m_fields[i]; }
    int Focus() const { return m_focus; }
    bool Masked(int field) const { return m_kind == PROMPT_LOGIN && field == 1; }
    // File prompts.
    const std::string& Folder() const { return m_folder; }
    const std::vector<TPromptEntry>& Entries() const { return m_entries; }
    int Selected() const { return m_selected; }  // -1 none
    int FirstShown() const { return m_first; }
    const TPromptFilter* CurrentFilter() const;
    int FilterCount() const { return (int)m_filters.size(); }
    // A save prompt waiting for the player to confirm replacing an existing file.
    bool Confirming() const { return m_confirm; }
    // The accepted file: a full, normalised path.
    const std::string& Chosen() const { return m_chosen; }
    // The error dialog: whether the error is fatal, and what it says of the further reports.
    bool Fatal() const { return m_fatal; }
    const std::string& Note() const { return m_note; }

private:
    void Enter();
    void EnterFile();
    void ChangeFolder(const std::string& folder);
    void LoadEntries();
    void Select(int index);
    void NextFilter(int step);

    PromptKind m_kind = PROMPT_TEXT;
    PromptOutcome m_outcome = PROMPT_OPEN;
    std::string m_caption, m_message;
    TPromptField m_fields[2];
    int m_focus = 0;
    std::string m_folder;  // with a trailing '/'
    std::vector<TPromptEntry> m_entries;
    int m_selected = -1, m_first = 0;
    std::vector<TPromptFilter> m_filters;
    size_t m_filter = 0;
    std::string m_extension;
    bool m_confirm = false;
    std::string m_chosen;
    bool m_fatal = false;
    std::string m_note;
};

// Draws the prompt, centred, over what the back buffer of that size holds.
void Prompt_Draw(const CPrompt& prompt, int width, int height);

// Shows prompts in the game window over the frame the game left there: it keeps a copy of the
// back buffer; each Show draws the copy with the prompt over it and presents the window; the end
// puts the frame back and restores every drawing setting it changed. Without a graphics device it
// is not Ready and shows nothing.
class CPromptScreen {
public:
    CPromptScreen();
    ~CPromptScreen();
    CPromptScreen(const CPromptScreen&) = delete;
    CPromptScreen& operator=(const CPromptScreen&) = delete;
    bool Ready() const { return m_snapshot >= 0; }
    void Show(const CPrompt& prompt);

private:
    void DrawSnapshot();

    int m_snapshot = -1;  // texture id of the copy of the frame
    int m_width = 0, m_height = 0;
    int m_surface = -1;
    int m_viewport[4] = {};
    float m_transforms[3][16] = {};
    uint32_t m_states[32] = {};
    uint32_t m_colour = 0;
    int m_alpha = 255;
    int m_font = -1, m_halign = 0, m_valign = 0;
    float m_depth = 0;
    bool m_linear = false, m_repeat = false;
};
