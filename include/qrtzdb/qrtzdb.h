#pragma once
// Every public header of the library. A test keeps this list complete;
// scripts/umbrella.sh rewrites it.

#include "qrtzdb/Version.h"

// platform
#include "qrtzdb/platform/CFile.h"
#include "qrtzdb/platform/CList.h"
#include "qrtzdb/platform/CString.h"
#include "qrtzdb/platform/CStringList.h"
#include "qrtzdb/platform/Clipboard.h"
#include "qrtzdb/platform/FileSystem.h"
#include "qrtzdb/platform/MessageBox.h"
#include "qrtzdb/platform/Module.h"
#include "qrtzdb/platform/PrivateProfile.h"
#include "qrtzdb/platform/Registry.h"
#include "qrtzdb/platform/SettingsLock.h"
#include "qrtzdb/platform/StringResource.h"
#include "qrtzdb/platform/System.h"

// basis
#include "qrtzdb/basis/CEndianFile.h"
#include "qrtzdb/basis/Calc.h"
#include "qrtzdb/basis/Color4V.h"
#include "qrtzdb/basis/DirManager.h"
#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/basis/Vertex3D.h"

// model
#include "qrtzdb/model/BenBond.h"
#include "qrtzdb/model/DbAtom.h"
#include "qrtzdb/model/DbAtomSet.h"
#include "qrtzdb/model/DbAtomVSet.h"
#include "qrtzdb/model/DbBond.h"
#include "qrtzdb/model/DbBondVSet.h"
#include "qrtzdb/model/DbCell.h"
#include "qrtzdb/model/DbComp.h"
#include "qrtzdb/model/DbCompSet.h"
#include "qrtzdb/model/DbCrystal.h"
#include "qrtzdb/model/DbMolCrystal.h"
#include "qrtzdb/model/DbMolecule.h"
#include "qrtzdb/model/DbMoleculeSet.h"
#include "qrtzdb/model/DbTrajLine.h"
#include "qrtzdb/model/DbTrajSet.h"
#include "qrtzdb/model/DbTrajectory.h"
#include "qrtzdb/model/DbZmatV.h"
#include "qrtzdb/model/DbZmatVSet.h"

// environment
#include "qrtzdb/environment/CLocale.h"
#include "qrtzdb/environment/CRegManager.h"
#include "qrtzdb/environment/DbItem.h"
#include "qrtzdb/environment/KelEnv.h"
#include "qrtzdb/environment/MaterialEnv.h"
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/environment/TblBond.h"

// formats
#include "qrtzdb/formats/KelDbAtomV.h"
#include "qrtzdb/formats/KelDbCrystal.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"
#include "qrtzdb/formats/KelDbMolecule.h"
#include "qrtzdb/formats/SdRecordReader.h"
#include "qrtzdb/formats/SimDbAtomV.h"
#include "qrtzdb/formats/SimDbMolCrystal.h"
#include "qrtzdb/formats/SimDbMolecule.h"

// simulation
#include "qrtzdb/simulation/KelDbInp.h"
#include "qrtzdb/simulation/KelDbSim.h"
#include "qrtzdb/simulation/MagicNo.h"
#include "qrtzdb/simulation/SimFileContents.h"

// clipboard
#include "qrtzdb/clipboard/UDataTrans.h"
