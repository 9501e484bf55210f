// The in-window prompts' editing and the file prompts' folder listing.
#include "Debug/Prompt.h"

#include "Support/LoadSave.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fnmatch.h>
#include <system_error>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool IsContinuation(char c) { return ((unsigned char)c & 0xC0) == 0x80; }

size_t Characters(const std::string& text)
{
    size_t count = 0;
    for (char c : text) count += !IsContinuation(c);
    return count;
}

// A folder listing shows at most this many entries.
constexpr size_t MAX_ENTRIES = 5000;

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

bool LessFolded(const TPromptEntry& a, const TPromptEntry& b)
{
    if (a.folder != b.folder) return a.folder;
    return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(), [](char x, char y) {
        return tolower((unsigned char)x) < tolower((unsigned char)y);
    });
}

bool IsFolder(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

bool IsFile(const std::string& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

}  // namespace

void TPromptField::Set(const std::string& text)
{
    m_text.clear();
    m_caret = 0;
    Insert(text.c_str());
}

void TPromptField::Insert(const char* utf8)
{
    if (!utf8) return;
    std::string add;
    size_t room = MAX_CHARACTERS - std::min(MAX_CHARACTERS, Characters(m_text));
    for (const char* p = utf8; *p; p++) {
        if ((unsigned char)*p < 32 || *p == 127) continue;
        if (!IsContinuation(*p)) {
            if (room == 0) break;
            room--;
        } else if (add.empty()) {
            continue;  // a stray continuation byte would split the character before the caret
        }
        add += *p;
    }
    m_text.insert(m_caret, add);
    m_caret += add.size();
}

void TPromptField::Backspace()
{
    if (m_caret == 0) return;
    size_t start = m_caret;
    Left();
    m_text.erase(m_caret, start - m_caret);
}

void TPromptField::Delete()
{
    if (m_caret >= m_text.size()) return;
    size_t start = m_caret;
    Right();
    m_text.erase(start, m_caret - start);
    m_caret = start;
}

void TPromptField::Left()
{
    while (m_caret > 0 && IsContinuation(m_text[--m_caret])) {}
}

void TPromptField::Right()
{
    if (m_caret < m_text.size()) m_caret++;
    while (m_caret < m_text.size() && IsContinuation(m_text[m_caret])) m_caret++;
}

std::string TPromptField::Shown(bool masked) const
{
    return masked ? std::string(Characters(m_text), '*') : m_text;
}

size_t TPromptField::ShownCaret(bool masked) const
{
    return masked ? Characters(m_text.substr(0, m_caret)) : m_caret;
}

std::vector<TPromptFilter> Prompt_ParseFilter(const char* filter)
{
    std::vector<TPromptFilter> out;
    std::vector<std::string> items = Split(filter ? filter : "", '|');
    for (size_t i = 0; i + 1 < items.size(); i += 2) {
        TPromptFilter f;
        f.description = items[i];
        for (const std::string& p : Split(items[i + 1], ';'))
            if (!Trim(p).empty()) f.patterns.push_back(Trim(p));
        if (!f.patterns.empty()) out.push_back(f);
    }
    return out;
}

std::string Prompt_DefaultExtensionText(const char* filter)
{
    const char* bar = filter ? strchr(filter, '|') : nullptr;
    const char* dot = bar ? strchr(bar, '.') : nullptr;
    if (!dot) return "";
    const char* end = strchr(dot + 1, '|');
    return std::string(dot + 1, end ? end : dot + 1 + strlen(dot + 1));
}

CPrompt CPrompt::Text(const char* caption, const char* prompt, const char* defaultText)
{
    CPrompt p;
    p.m_kind = PROMPT_TEXT;
    p.m_caption = caption ? caption : "";
    p.m_message = prompt ? prompt : "";
    p.m_fields[0].Set(defaultText ? defaultText : "");
    return p;
}

CPrompt CPrompt::Login(const char* caption, const char* user, const char* password)
{
    CPrompt p;
    p.m_kind = PROMPT_LOGIN;
    p.m_caption = caption ? caption : "";
    p.m_fields[0].Set(user ? user : "");
    p.m_fields[1].Set(password ? password : "");
    return p;
}

CPrompt CPrompt::File(bool save, const char* title, const char* filter, const char* defaultName, const char* folder)
{
    CPrompt p;
    p.m_kind = save ? PROMPT_SAVE_FILE : PROMPT_OPEN_FILE;
    p.m_caption = title && *title ? title : save ? "Save as" : "Open";
    p.m_filters = Prompt_ParseFilter(filter);
    std::string extension = Prompt_DefaultExtensionText(filter);
    size_t letters = 0;
    while (letters < extension.size() && isalnum((unsigned char)extension[letters])) letters++;
    p.m_extension = extension.substr(0, letters);
    std::string start = folder && *folder ? LoadSave_NormalisePath(folder) : "";
    if (start.empty() || !IsFolder(start)) start = LoadSave_NormalisePath(".");
    // A default name with a folder part starts in that folder when it exists.
    std::string name = defaultName ? defaultName : "";
    size_t slash = name.find_last_of('/');
    if (slash != std::string::npos) {
        std::string inside = LoadSave_NormalisePath(((name[0] == '/' ? "" : start + "/") + name.substr(0, slash + 1)).c_str());
        if (IsFolder(inside)) {
            start = inside;
            name = name.substr(slash + 1);
        }
    }
    p.ChangeFolder(start);
    p.m_fields[0].Set(name);
    return p;
}

CPrompt CPrompt::Error(const char* caption, const char* report, int more, bool fatal)
{
    CPrompt p;
    p.m_kind = PROMPT_ERROR;
    p.m_caption = caption ? caption : "";
    p.m_message = report ? report : "";
    p.m_fatal = fatal;
    if (more > 0)
        p.m_note = more == 1 ? "1 more error in this step is on standard error."
                             : std::to_string(more) + " more errors in this step are on standard error.";
    return p;
}

const TPromptFilter* CPrompt::CurrentFilter() const
{
    return m_filter < m_filters.size() ? &m_filters[m_filter] : nullptr;
}

void CPrompt::Type(const char* utf8)
{
    if (m_outcome != PROMPT_OPEN || m_confirm || m_kind == PROMPT_ERROR) return;
    m_fields[m_focus].Insert(utf8);
    if (m_kind != PROMPT_TEXT && m_kind != PROMPT_LOGIN) m_message.clear();
}

void CPrompt::Key(int vk, bool shift)
{
    if (m_outcome != PROMPT_OPEN) return;
    if (m_kind == PROMPT_ERROR) {
        if (vk == 13) m_outcome = m_fatal ? PROMPT_CANCELLED : PROMPT_ACCEPTED;
        else if (vk == 27) m_outcome = PROMPT_CANCELLED;
        return;
    }
    bool file = m_kind == PROMPT_OPEN_FILE || m_kind == PROMPT_SAVE_FILE;
    if (m_confirm) {
        // Replace the existing file? Enter yes, Escape back to the name.
        if (vk == 13) m_outcome = PROMPT_ACCEPTED;
        else if (vk == 27) m_chosen.clear();
        if (vk == 13 || vk == 27) {
            m_confirm = false;
            m_message.clear();
        }
        return;
    }
    TPromptField& field = m_fields[m_focus];
    int page = LIST_ROWS - 1;
    switch (vk) {
    case 13: return Enter();
    case 27: m_outcome = PROMPT_CANCELLED; return;
    case 8:
        // Backspace on an empty name climbs to the parent folder.
        if (file && field.Text().empty()) return ChangeFolder(m_folder + "..");
        return field.Backspace();
    case 46: return field.Delete();
    case 37: return field.Left();
    case 39: return field.Right();
    case 36: return field.Home();
    case 35: return field.End();
    case 9:
        if (m_kind == PROMPT_LOGIN) m_focus = 1 - m_focus;
        else if (file) NextFilter(shift ? -1 : 1);
        return;
    case 38:
    case 40:
        if (m_kind == PROMPT_LOGIN) m_focus = vk == 40;
        else if (file) Select(m_selected < 0 ? (vk == 40 ? 0 : (int)m_entries.size() - 1) : m_selected + (vk == 40 ? 1 : -1));
        return;
    case 33:
    case 34:
        if (file) Select(std::max(0, m_selected) + (vk == 34 ? page : -page));
        return;
    default: return;
    }
}

void CPrompt::Enter()
{
    if (m_kind == PROMPT_TEXT || m_kind == PROMPT_LOGIN) {
        // Enter in the user name moves on to the password.
        if (m_kind == PROMPT_LOGIN && m_focus == 0) m_focus = 1;
        else m_outcome = PROMPT_ACCEPTED;
        return;
    }
    EnterFile();
}

void CPrompt::EnterFile()
{
    std::string name = m_fields[0].Text();
    if (name.empty()) {
        if (m_selected >= 0 && m_entries[m_selected].folder) ChangeFolder(m_folder + m_entries[m_selected].name);
        return;
    }
    std::string path = LoadSave_NormalisePath(((name[0] == '/' ? "" : m_folder) + name).c_str());
    if (path.empty()) {
        m_message = "That name cannot be used.";
        return;
    }
    if (IsFolder(path)) {
        ChangeFolder(path);
        m_fields[0].Set("");
        return;
    }
    size_t slash = path.find_last_of('/');
    std::string parent = path.substr(0, slash + 1), leaf = path.substr(slash + 1);
    if (m_kind == PROMPT_OPEN_FILE) {
        if (!IsFile(path)) {
            m_message = "There is no file \"" + leaf + "\" here.";
            return;
        }
    } else {
        if (!IsFolder(parent)) {
            m_message = "The folder of \"" + leaf + "\" does not exist.";
            return;
        }
        if (!m_extension.empty() && leaf.find('.') == std::string::npos) path += "." + m_extension, leaf += "." + m_extension;
        if (IsFolder(path)) {
            m_message = "\"" + leaf + "\" is a folder.";
            return;
        }
        if (fs::exists(fs::symlink_status(path))) {
            m_chosen = path;
            m_confirm = true;
            m_message = "\"" + leaf + "\" exists. Replace it?";
            return;
        }
    }
    m_chosen = path;
    m_outcome = PROMPT_ACCEPTED;
}

void CPrompt::ChangeFolder(const std::string& folder)
{
    std::string path = LoadSave_NormalisePath(folder.c_str());
    if (path.empty() || !IsFolder(path)) {
        m_message = "That folder cannot be opened.";
        return;
    }
    m_folder = path == "/" ? path : path + "/";
    m_message.clear();
    LoadEntries();
}

void CPrompt::LoadEntries()
{
    m_entries.clear();
    m_selected = -1;
    m_first = 0;
    const TPromptFilter* filter = CurrentFilter();
    std::error_code error;
    fs::directory_iterator it(m_folder, fs::directory_options::skip_permission_denied, error);
    if (error) {
        m_message = "This folder cannot be read.";
        return;
    }
    while (it != fs::directory_iterator() && m_entries.size() < MAX_ENTRIES) {
        std::string name = it->path().filename().string();
        std::error_code kindError;
        bool folder = it->is_directory(kindError);
        bool shown = !name.empty() && name[0] != '.';
        if (shown && !folder && filter) {
            shown = false;
            for (const std::string& pattern : filter->patterns)
                shown = shown || fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
        }
        if (shown) m_entries.push_back({name, folder});
        it.increment(error);
        if (error) break;
    }
    std::sort(m_entries.begin(), m_entries.end(), LessFolded);
}

void CPrompt::Select(int index)
{
    if (m_entries.empty()) return;
    m_selected = std::clamp(index, 0, (int)m_entries.size() - 1);
    if (m_selected < m_first) m_first = m_selected;
    if (m_selected >= m_first + LIST_ROWS) m_first = m_selected - LIST_ROWS + 1;
    const TPromptEntry& e = m_entries[m_selected];
    m_fields[0].Set(e.folder ? e.name + "/" : e.name);
    m_message.clear();
}

void CPrompt::NextFilter(int step)
{
    if (m_filters.size() < 2) return;
    m_filter = (m_filter + m_filters.size() + step) % m_filters.size();
    LoadEntries();
}
