#include "TimeLine/TimeLine_Main.h"

#include "Runner/GameFile.h"

#include <memory>
#include <string>
#include <vector>

namespace {
struct TimeLineSlot {
    std::unique_ptr<CTimeLine> line;
    std::string name;
};
std::vector<TimeLineSlot> TimeLines;
// Deleted time lines stay allocated until the table is cleared: one of their moments may be running.
std::vector<std::unique_ptr<CTimeLine>> Deleted;
}

bool TimeLine_Exists(int index) { return index >= 0 && index < (int)TimeLines.size() && TimeLines[index].line; }
CTimeLine* TimeLine_Get(int index) { return TimeLine_Exists(index) ? TimeLines[index].line.get() : nullptr; }
const char* TimeLine_GetName(int index) { return TimeLine_Exists(index) ? TimeLines[index].name.c_str() : "<undefined>"; }
int TimeLine_Count() { return (int)TimeLines.size(); }

int TimeLine_Add()
{
    int index = (int)TimeLines.size();
    TimeLines.push_back({std::make_unique<CTimeLine>(), "__newtimeline" + std::to_string(index)});
    return index;
}

bool TimeLine_Delete(int index)
{
    if (!TimeLine_Exists(index)) return false;
    Deleted.push_back(std::move(TimeLines[index].line));
    TimeLines[index].name.clear();
    return true;
}

void TimeLine_Clear()
{
    TimeLines.clear();
    Deleted.clear();
}

bool TimeLine_Prepare()
{
    for (TimeLineSlot& s : TimeLines)
        if (s.line && !s.line->Compile(s.name.c_str())) return false;
    return true;
}

bool TimeLine_Load(GameFileReader chunk)
{
    uint32_t count;
    if (!chunk.Count(&count, 4)) return false;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t offset = chunk.U32();
        if (offset == 0) { TimeLines.push_back({}); continue; }
        GameFileReader r = chunk.At(offset);
        const char* name = r.Str();
        uint32_t moments;
        if (!r.Count(&moments, 8) || !name) return false;
        auto line = std::make_unique<CTimeLine>();
        for (uint32_t m = 0; m < moments; m++) {
            int time = r.I32();
            const char* text = r.Str();
            if (!r.ok) return false;
            line->AddMoment(time, text ? text : "");
        }
        TimeLines.push_back({std::move(line), name});
    }
    return chunk.ok;
}
