#include "Object/Instance_Class.h"
#include "Physics/Physics_Main.h"
#include "Variable/Variable_List.h"

void Instance_Register(CInstance* inst);
void Instance_Unregister(CInstance* inst);

CInstance::CInstance(int id_, int objectIndex, float x_, float y_)
    : x(x_), y(y_), xprevious(x_), yprevious(y_), object_index(objectIndex), id(id_), xstart(x_), ystart(y_)
{
    for (int& a : alarm) a = -1;
    variables = new CVariableList;
    Instance_Register(this);
}

CInstance::~CInstance()
{
    Instance_Unregister(this);
    Physics_RemoveBody(this);
    delete variables;
}
