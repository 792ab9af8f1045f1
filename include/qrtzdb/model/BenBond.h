#pragma once
#include <vector>

#include "qrtzdb/model/DbBond.h"
#include "qrtzdb/model/DbMolecule.h"

namespace qrtz {

// Rewrites the aromatic ("AR") bonds of six-membered aromatic rings as alternating "1 " and
// "2 " for writers of formats without an aromatic bond type, and puts "AR" back afterwards:
// construct on a molecule, Convert, write, Retrieve, destroy. The molecule and its bonds must
// outlive the converter and keep their bonds and names unchanged in between.
//
// The records are readable for inspection; cross references are indexes into the other lists
// (-1 for none). Atom numbers are 1-based, as in DbBondV.
class BenBond {
public:
    // One bond named "AR", in bond-list order.
    struct AroBond {
        // The bond's atoms (1-based).
        int firstAtom = 0;
        int secondAtom = 0;
        int order = 0;       // 0 not assigned, 1 single, 2 double
        int ringCount = 0;   // rings registered on the bond; a third replaces the second ring
        // The rings registered on the bond, and the bond itself.
        int firstRing = -1;
        int secondRing = -1;
        DbBondV* bond = nullptr;
    };
    // Two aromatic bonds meeting at centre.
    struct BondPair {
        // The outer atoms and the shared atom.
        int firstEnd = 0;
        int centre = 0;
        int secondEnd = 0;
        int firstBond = -1;   // centre - first end
        int secondBond = -1;  // centre - second end
        // Non-zero once the pair has been taken into a ring.
        int used = 0;
    };
    // Six aromatic bonds closing a ring; bond k joins atoms k and k + 1 (bond 5 atoms 5 and 0).
    struct Ring {
        // The ring's atoms in order and its bonds (indexes into the aromatic bonds).
        int atoms[6] = {0, 0, 0, 0, 0, 0};
        int bonds[6] = {-1, -1, -1, -1, -1, -1};
        int sharedCount = 0;  // bonds that lie in more than one ring
        int state = 0;        // 0 not visited, 1 assigned, 2 settled from a neighbouring ring
    };

    // Finds the aromatic bonds, the pairs of them that meet at an atom (at most 8 aromatic
    // bonds per atom are considered) and the six-membered rings they close. Names untouched.
    explicit BenBond(DbMolecule* mol);
    BenBond(const BenBond&) = delete;
    BenBond& operator=(const BenBond&) = delete;
    virtual ~BenBond();

    // Gives every ring alternating orders, a bond shared with a neighbouring ring double on both
    // sides unless that ring is fused on all six sides, and names the bonds that got an order
    // "1 " or "2 "; aromatic bonds outside any ring stay "AR". Returns 1, or 0 when some ring
    // takes neither alternation (as in pyrene, or anthracene's middle ring), and then no name
    // changes. Ring states are kept, so a second call names the bonds the same way.
    int Convert();
    // Names every aromatic bond of the list "AR" again.
    void Retrieve();

    // The records of the last Convert, for inspection.
    const std::vector<AroBond>& GetAromaticBonds() const { return m_aroBonds; }
    const std::vector<BondPair>& GetBondPairs() const { return m_pairs; }
    const std::vector<Ring>& GetRings() const { return m_rings; }

private:
    class Assigner;

    void FindPairs(int atomCount);
    void FindRings();

    DbMolecule* m_mol;
    std::vector<AroBond> m_aroBonds;
    std::vector<BondPair> m_pairs;
    std::vector<Ring> m_rings;
};

// Turns Kekulé six-membered rings (found from the bonds and the 2.5 to 2.9 Å para distance of
// their double-bonded atoms) into "AR" bonds and writes a bond-order code into the third byte
// of every atom name of three bytes or more: "1", "2", "3" for the highest order of the atom's
// bonds, "R" for ring atoms, a blank for names beginning with H that lie in no ring. Only
// bonds stored with the smaller atom number first are renamed. Bonds of another type than
// "1 ", "2 ", "3 " and "AR" count as single; bonds to atom numbers outside the molecule are
// left out. Returns 0, or 5 without changing anything when its work lists would not fit in
// memory (more than 2^23 links between double-bonded neighbours).
int AssignAromaticTypes(DbMolecule* mol);

} // namespace qrtz
