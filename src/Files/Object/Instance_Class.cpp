#include "Object/Instance_Class.h"
#include "Variable/Variable_BuiltIn.h"
#include "Variable/Variable_List.h"
#include "Variable/Variable_Main.h"

InstanceBodies Instance_Bodies = {nullptr, nullptr, nullptr};

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
    if (Instance_Bodies.removed) Instance_Bodies.removed(this);
    delete variables;
}

CVariableList* Instance_Variables(CInstance* inst) { return inst->variables; }

bool Instance_GetVariable(CInstance* inst, int id, int arrayIndex, TaggedValue* value)
{
    if (!inst || !value) return false;
    if (id >= VARIABLE_USER_BASE) return inst->variables->Get(id, arrayIndex, value);
    const RVariable* b = Variable_BuiltIn_Get(id);
    return b && b->getter && Variable_BuiltIn_HasElement(b, arrayIndex) && b->getter(inst, arrayIndex, value);
}

bool Instance_SetVariable(CInstance* inst, int id, int arrayIndex, const TaggedValue* value)
{
    if (!inst || !value) return false;
    if (id >= VARIABLE_USER_BASE) return inst->variables->Set(id, arrayIndex, *value);
    const RVariable* b = Variable_BuiltIn_Get(id);
    return b && b->canSet && b->setter && Variable_BuiltIn_HasElement(b, arrayIndex) && b->setter(inst, arrayIndex, value);
}
