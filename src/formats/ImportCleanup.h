#pragma once
// What the exchange readers share: the bond-order codes of the MDL and MOPAC texts and the
// removal of atoms with their bonds. Not installed.
#include <vector>

#include "qrtzdb/model/DbMolecule.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz::exchange {

// Codes 1 to 7 stand for "1 ", "2 ", "3 ", "AR", "C ", "PL", "R "; any other code reads as
// "1 ", and a name that is none of the seven writes as 1.
const char* BondNameForCode(int code);
int BondCodeForName(const CString& name);

// Deletes the atoms marked (one mark per atom, in atom order) and every bond touching one of
// them, and renumbers the other bonds, exactly as DbMolecule::DeleteAtomWithBond called for
// each marked atom in turn would, in one walk over atoms and bonds.
void DeleteMarkedAtoms(DbMolecule& mol, const std::vector<char>& marked);

// Deletes the dummy atoms (named "Du  ") with their bonds.
void DeleteDummyAtoms(DbMolecule& mol);

} // namespace qrtz::exchange
