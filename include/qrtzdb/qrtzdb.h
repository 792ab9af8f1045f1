#pragma once
// Every public header of the library. A test keeps this list complete.

#include "qrtzdb/Version.h"

// platform
#include "qrtzdb/platform/CFile.h"
#include "qrtzdb/platform/Clipboard.h"
#include "qrtzdb/platform/CList.h"
#include "qrtzdb/platform/CString.h"
#include "qrtzdb/platform/CStringList.h"
#include "qrtzdb/platform/MessageBox.h"
#include "qrtzdb/platform/Module.h"

// basis
#include "qrtzdb/basis/Calc.h"
#include "qrtzdb/basis/Color4V.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/basis/Vertex3D.h"

// model
#include "qrtzdb/model/DbAtom.h"
#include "qrtzdb/model/DbAtomSet.h"
#include "qrtzdb/model/DbAtomVSet.h"
#include "qrtzdb/model/DbBond.h"
#include "qrtzdb/model/DbBondVSet.h"
#include "qrtzdb/model/DbComp.h"
#include "qrtzdb/model/DbCompSet.h"

// environment
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/environment/TblBond.h"

// simulation
#include "qrtzdb/simulation/MagicNo.h"
