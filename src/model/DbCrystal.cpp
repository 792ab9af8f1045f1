#include "qrtzdb/model/DbCrystal.h"

#include <vector>

namespace qrtz {

DbCrystal::DbCrystal() : DbComp("                ") {}

DbCrystal::DbCrystal(const char* name) : DbComp(name, kNameLength) {}

DbCrystal::DbCrystal(const char* name, double a_, double b_, double c_, double alpha_,
                     double beta_, double gamma_)
    : DbComp(name, kNameLength), DbCell(a_, b_, c_, alpha_, beta_, gamma_) {}

DbCrystal& DbCrystal::operator=(const DbCrystal& other) {
    DbComp::operator=(other);
    DbCell::operator=(other);
    DbCompSet::operator=(other);
    return *this;
}

DbComp* DbCrystal::Copy() const {
    auto* copy = new DbCrystal;
    *copy = *this;
    return copy;
}

DbCrystal* DbCrystal::CopySymmetry(int na, int nb, int nc) const {
    DbComp* made = Copy();
    auto* result = dynamic_cast<DbCrystal*>(made);
    if (!result) {  // a derived Copy that lost the crystal: fall back to a plain one
        delete made;
        result = static_cast<DbCrystal*>(DbCrystal::Copy());
    }
    result->a *= na;
    result->b *= nb;
    result->c *= nc;
    result->ClearAtom();

    // One snapshot of the source, so the walk below is linear in the atoms made.
    std::vector<const DbAtomV*> source;
    source.reserve(static_cast<std::size_t>(GetAtomCount()));
    for (POSITION pos = GetAtomHeadPosition(); pos;) source.push_back(GetAtomNext(pos));

    for (int i = 0; i < na; ++i)
        for (int j = 0; j < nb; ++j)
            for (int k = 0; k < nc; ++k)
                for (const DbAtomV* atom : source) {
                    auto* copy = static_cast<DbAtomV*>(atom->Copy());
                    copy->position = Vertex3D((i + atom->position.x) / na,
                                              (j + atom->position.y) / nb,
                                              (k + atom->position.z) / nc);
                    result->AppendAtom(copy);
                }
    result->UpdateAtomTypeList();
    return result;
}

double DbCrystal::GetDensity() const {
    const double volume = GetVolume();
    if (volume == 0.0) return 0.0;
    return GetMass() * kGramPerAmu / volume;
}

} // namespace qrtz
