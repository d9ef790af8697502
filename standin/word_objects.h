// The stand-in's object model: Application, its Documents and each opened Document, with
// the members Quillory calls and the properties it sets.
#pragma once

#include "automation_object.h"

namespace standin {

// A new Application object with one reference.
IDispatch* CreateApplication();

}  // namespace standin
