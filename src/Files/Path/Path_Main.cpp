#include "Path/Path_Main.h"

#include "Base/Console.h"
#include "Code/Error.h"
#include "Runner/GameFile.h"

#include <memory>
#include <string>
#include <vector>

namespace {
struct PathSlot {
    std::unique_ptr<CPath> path;
    std::string name;
};
std::vector<PathSlot> Paths;
}

bool Path_Exists(int index) { return index >= 0 && index < (int)Paths.size() && Paths[index].path; }
CPath* Path_Get(int index) { return Path_Exists(index) ? Paths[index].path.get() : nullptr; }
const char* Path_GetName(int index) { return Path_Exists(index) ? Paths[index].name.c_str() : "<undefined>"; }
int Path_Count() { return (int)Paths.size(); }

int Path_Find(const char* name)
{
    for (size_t i = 0; i < Paths.size(); i++)
        if (Paths[i].path && Paths[i].name == name) return (int)i;
    return -1;
}

int Path_Add()
{
    int index = (int)Paths.size();
    Paths.push_back({std::make_unique<CPath>(), "__newpath" + std::to_string(index)});
    return index;
}

bool Path_Delete(int index)
{
    if (!Path_Exists(index)) return false;
    Paths[index].path.reset();
    Paths[index].name.clear();
    return true;
}

int Path_Duplicate(int index)
{
    if (!Path_Exists(index)) return -1;
    int copy = Path_Add();
    Paths[copy].path->Assign(*Paths[index].path);
    return copy;
}

bool Path_Assign(int target, int source)
{
    if (!Path_Exists(target) || !Path_Exists(source)) return false;
    if (target == source) {
        Error_Show("ERROR: Can not assign a path to itself!", false);
        return false;
    }
    Paths[target].path->Assign(*Paths[source].path);
    return true;
}

void Path_Clear() { Paths.clear(); }

bool Path_Load(GameFileReader chunk)
{
    uint32_t count;
    if (!chunk.Count(&count, 4)) return false;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t offset = chunk.U32();
        if (offset == 0) { Paths.push_back({}); continue; }
        GameFileReader r = chunk.At(offset);
        const char* name = r.Str();
        int kind = r.I32();
        bool closed = r.Bool();
        int precision = r.I32();
        uint32_t points;
        if (!r.Count(&points, 12) || !name) return false;
        std::vector<PathPoint> list(points);
        for (PathPoint& p : list) {
            p.x = r.F32();
            p.y = r.F32();
            p.speed = r.F32();
        }
        if (!r.ok) return false;
        auto path = std::make_unique<CPath>();
        path->Set(kind, closed, precision, std::move(list));
        Paths.push_back({std::move(path), name});
    }
    return chunk.ok;
}
