#include "qrtzdb/simulation/SimFileContents.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <map>
#include <set>
#include <string>

#include "SimRecordReader.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/model/DbComp.h"
#include "qrtzdb/simulation/MagicNo.h"

namespace qrtz {

namespace {

// Pressure series come in gigapascal and are kept in atmospheres.
constexpr float kGpaToAtm = 9869.232f;
// Energy series come in g·Å²·fs⁻² and are kept in joules.
constexpr float kEnergyScale = 10000000.0f;
constexpr int kPressureSeries[] = {1, 15, 16, 17, 18, 19, 20};
constexpr int kEnergySeries[] = {3, 4, 12, 13, 14};

// The atomic mass unit in grams, as the single-precision value widened; three Boltzmann
// constants in g·Å²·fs⁻²/K; half the first constant.
constexpr double kAmu = 1.660540186674939e-24;
constexpr double kThreeBoltzmann = 4.1419740000000004e-30;
constexpr double kHalfAmu = 8.302700933374695e-25;
static_assert(std::bit_cast<std::uint64_t>(kAmu) == 0x3B000F4C61D5F1EAull);
static_assert(std::bit_cast<std::uint64_t>(kThreeBoltzmann) == 0x39D50096F31C7AACull);
static_assert(std::bit_cast<std::uint64_t>(kHalfAmu) == 0x3AF00F4C61D5F1EAull);
constexpr float kAvogadro = 6.0221367e23f;
constexpr float kDegPerRad = 57.295776f;

template <class V>
void release(V& v) {
    V().swap(v);
}

// Names become the names of atoms, molecules and bonds, which the text formats write one per
// field: a control byte would break the line, so it is read as '?'.
char nameByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u > 0 && u < 0x20) || u == 0x7F ? '?' : c;
}

// A name field of N bytes, ending at its first zero byte.
template <std::size_t N>
void setName(FixedText<N>& out, const char* bytes) {
    for (std::size_t c = 0; c < N; ++c) out.text[c] = nameByte(bytes[c]);
    out.text[N] = '\0';
}

std::string frameWhere(int frame, std::int64_t at) {
    return "frame " + std::to_string(frame + 1) + " at byte " + std::to_string(at);
}

// Steps s in 1..total with first <= s <= last and (s - first) a multiple of interval.
std::int64_t countRecordedSteps(int total, int first, int last, int interval) {
    const std::int64_t lo = std::max<std::int64_t>(1, first);
    const std::int64_t hi = std::min<std::int64_t>(total, last);
    if (lo > hi) return 0;
    if (interval == 0)
        throw FsException(1, "step record: recording interval 0 with steps " +
                                  std::to_string(lo) + " to " + std::to_string(hi) + " to record");
    const std::int64_t d = std::abs(static_cast<std::int64_t>(interval));
    const std::int64_t from = lo - first, to = hi - first;  // both >= 0
    return to / d - (from + d - 1) / d + 1;
}

int saturate(std::int64_t v) { return v > INT_MAX ? INT_MAX : static_cast<int>(v); }

} // namespace

SimFileContents::SimFileContents() { InitFileContents(); }

SimFileContents::~SimFileContents() = default;

void SimFileContents::InitFileContents() {
    DeleteFileContents();
    m_nMagicNo = 0;
    m_bSp = 0;
    m_szTitle[0] = m_szText46[0] = m_szText80[0] = '\0';
    m_nAtomCount = 0;
    m_nCurAtomCount = 0;
    m_nThermoCount = 6;
    m_nExtraCount = 0;
    m_nSkipCount = 0;
    m_nCoordRecCount = 3;
    m_nTotalStep = m_nStartStep = m_nEndStep = m_nInterval = 0;
    m_fDt = 0.0f;
    m_nParam1 = m_nParam2 = m_nParam3 = 0;
    m_fParam4 = 0.0f;
    m_dSpeedMin = m_dSpeedMax = m_dTempMin = m_dTempMax = 0.0;
    m_dInternalMin = m_dInternalMax = m_dPotentialMin = m_dPotentialMax = 0.0;
}

void SimFileContents::DeleteFileContents() {
    release(m_ppMolTypeName);
    release(m_pnMolTypeCode);
    release(m_pnMolCount0);
    release(m_pnMolAtomCount);
    release(m_pnMolBondCount);
    release(m_pnMolAtomKindCount);
    release(m_ppnAtomCode);
    release(m_ppAtomName);
    release(m_ppfAtomMass);
    release(m_ppfAtomCharge);
    release(m_pfMolMass);
    release(m_ppnBondAtom1);
    release(m_ppnBondAtom2);
    release(m_ppBondName);
    release(m_pfX0);
    release(m_pfY0);
    release(m_pfZ0);
    release(m_ppfThermo);
    release(m_pfDensity);
    release(m_ppfExtra);
    for (auto* v : {&m_pfX, &m_pfY, &m_pfZ, &m_pfVx, &m_pfVy, &m_pfVz, &m_pfEp}) release(*v);
    release(m_pnInpFlag);
    for (auto* v : {&m_pdInpVecAX, &m_pdInpVecAY, &m_pdInpVecAZ, &m_pdInpVecBX, &m_pdInpVecBY,
                    &m_pdInpVecBZ})
        release(*v);
    release(m_ppEntryName);
    release(m_pcEntryKind);
    release(m_pnEntryMolType);
    release(m_pnEntryAtomKind);
    release(m_pnEntryIndex);
    release(m_pnMolTypeIndex);
    release(m_pnEntryIndex0);
    release(m_pppMolAtomKindName);
    release(m_pnMolCount);
    release(m_pfTime);
    release(m_frameOffset);
    release(m_stepBuffer);
    m_firstEmptyFrame = -1;
    m_nHeadSize = 0;
    m_nStepSize = 0;
    m_nMolTypeCount = 0;
    m_nEntryCount = 0;
    m_nCurStep = 0;
    m_nStepCount = 2;
    m_nDeclaredStepCount = 0;
}

void SimFileContents::Warn(const CString& message) const {
    if (m_warningSink) m_warningSink(message);
}

void SimFileContents::GetOrgHmatrix(double H[3][3]) const {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) H[r][c] = m_fOrgH[r][c];
}

std::int64_t SimFileContents::GetFrameOffset(int frame) const {
    if (frame < 0 || frame >= m_nStepCount ||
        static_cast<std::size_t>(frame) >= m_frameOffset.size())
        return -1;
    return m_frameOffset[static_cast<std::size_t>(frame)];
}

// ---------------------------------------------------------------------------------------------
// Header

void SimFileContents::ReadHead(CFile64* file) {
    m_nHeadSize = 0;
    m_nStepSize = 0;
    DeleteFileContents();
    if (!file) throw FsException(1, "no file to read");
    int headSize = 0;
    try {
        file->SeekToBegin();
        SimRecordReader in(file, &CEndianFile::IsFirstRecordLength);
        ReadHeader(in);
        headSize = static_cast<int>(in.Position());
        ScanFrames(in);
    } catch (const SimFileEnds& e) {
        throw FsException(1, e.message);
    } catch (const CFileException& e) {
        throw FsException(1, e.GetMessage());
    }
    BuildTables();
    // Only a complete load counts as loaded: the step operations rely on every table.
    m_nHeadSize = headSize;
}

void SimFileContents::ReadHeader(SimRecordReader& in) {
    // The title, or the magic number and then the title.
    const std::int32_t first = in.ReadFirstInt("first record");
    m_swapped = in.Swapped();
    if (first == 20) {
        in.CheckLength("first record", 0, first, 20);
        m_nMagicNo = 0;
        m_bSp = 0;
        in.ReadRaw(m_szTitle, 20, "title");
        m_szTitle[20] = '\0';
        SimRecordReader::CheckTrail("first record", 0, 20, in.ReadInt("first record"));
    } else if (first == 4) {
        in.CheckLength("first record", 0, first, 4);
        m_nMagicNo = in.ReadInt("magic number");
        SimRecordReader::CheckTrail("first record", 0, 4, in.ReadInt("first record"));
        m_bSp = MagicNo::IsSimSp(m_nMagicNo);
        const std::int64_t at = in.Position();
        const std::int32_t length = in.ReadLength("title record");
        if (length > kMaxTitle)
            throw FsException(3, SimRecordReader::Where("title record", at) + ": " +
                                     std::to_string(length) + " bytes, at most " +
                                     std::to_string(kMaxTitle) + " allowed");
        in.ReadRaw(m_szTitle, length, "title record");
        m_szTitle[length] = '\0';
        SimRecordReader::CheckTrail("title record", at, length, in.ReadInt("title record"));
    } else {
        throw FsException(3, "first record at byte 0: length " + std::to_string(first) +
                                 ", expected 20 (title) or 4 (magic number)");
    }

    std::vector<char> rec = in.ReadRecord(46, "text record");
    std::memcpy(m_szText46, rec.data(), 46);
    m_szText46[46] = '\0';
    rec = in.ReadRecord(80, "text record");
    std::memcpy(m_szText80, rec.data(), 80);
    m_szText80[80] = '\0';

    rec = in.ReadRecord(20, "step record");
    m_nTotalStep = in.Int(&rec[4]);
    m_nStartStep = in.Int(&rec[8]);
    m_nEndStep = in.Int(&rec[12]);
    m_nInterval = in.Int(&rec[16]);
    const std::int64_t declared =
        countRecordedSteps(m_nTotalStep, m_nStartStep, m_nEndStep, m_nInterval);
    if (declared < 1)
        throw FsException(1, "step record: steps " + std::to_string(m_nStartStep) + " to " +
                                 std::to_string(m_nEndStep) + " of " +
                                 std::to_string(m_nTotalStep) + " record no frame");
    m_nStepCount = m_nDeclaredStepCount = saturate(declared);

    rec = in.ReadRecord(24, "time-step record");
    m_fDt = in.Float(&rec[0]);
    m_nParam1 = in.Int(&rec[8]);
    m_nParam2 = in.Int(&rec[12]);
    m_nParam3 = in.Int(&rec[16]);
    m_fParam4 = in.Float(&rec[20]);

    const bool v4 = MagicNo::IsSimV4OrAfter(m_nMagicNo);
    rec = in.ReadRecord(v4 ? 24 : 8, "count record");
    const int n = in.Int(&rec[0]);
    const int s = in.Int(&rec[4]);
    m_nAtomCount = n;
    m_nCurAtomCount = n;
    if (v4) {
        m_nThermoCount = in.Int(&rec[8]);
        m_nExtraCount = in.Int(&rec[12]);
        m_nSkipCount = in.Int(&rec[16]);
        m_nCoordRecCount = in.Int(&rec[20]);
    } else {
        m_nThermoCount = m_bSp ? 8 : 6;
        m_nExtraCount = 0;
        m_nSkipCount = 0;
        m_nCoordRecCount = 3;
    }
    if (s < 1 || n < 1)
        throw FsException(1, "count record: " + std::to_string(n) + " atoms and " +
                                 std::to_string(s) + " molecule types");
    if (m_nThermoCount > kThermoSeries)
        throw FsException(3, "count record: " + std::to_string(m_nThermoCount) +
                                 " thermodynamic quantities per frame, at most 21 allowed");
    if (m_nExtraCount > kExtraSeries)
        throw FsException(3, "count record: " + std::to_string(m_nExtraCount) +
                                 " extra quantities per frame, at most 6 allowed");
    if (m_nCoordRecCount < 3)
        throw FsException(1, "count record: " + std::to_string(m_nCoordRecCount) +
                                 " coordinate records per frame, at least 3 needed");
    // Every type takes 36 bytes of the type table, every atom 12 of the initial positions,
    // coordinate record at least 8 bytes of a frame.
    // every further coordinate record at least 8 bytes of a frame, every skipped value 4.
    if (s > in.Left() / 36 || n > in.Left() / 12 || m_nCoordRecCount - 3 > in.Left() / 8 ||
        m_nSkipCount > in.Left() / 4)
        throw FsException(1, "count record: " + std::to_string(n) + " atoms, " +
                                 std::to_string(s) + " molecule types, " +
                                 std::to_string(m_nSkipCount) + " skipped values and " +
                                 std::to_string(m_nCoordRecCount) +
                                 " coordinate records cannot fit in the " +
                                 std::to_string(in.Left()) + " bytes left");
    m_nMolTypeCount = s;
    const auto S = static_cast<std::size_t>(s);

    // Type table: names, then five arrays of one int per type.
    rec = in.ReadRecord(36 * static_cast<std::int64_t>(s), "type table");
    m_ppMolTypeName.resize(S);
    for (std::size_t t = 0; t < S; ++t) setName(m_ppMolTypeName[t], &rec[16 * t]);
    UpdateChamol();
    std::vector<int>* columns[] = {&m_pnMolTypeCode, &m_pnMolCount0, &m_pnMolAtomCount,
                                   &m_pnMolBondCount, &m_pnMolAtomKindCount};
    for (std::size_t k = 0; k < 5; ++k) {
        columns[k]->resize(S);
        for (std::size_t t = 0; t < S; ++t)
            (*columns[k])[t] = in.Int(&rec[16 * S + 4 * (k * S + t)]);
    }
    m_pnMolCount = m_pnMolCount0;
    std::int64_t atoms = 0, bonds = 0;
    for (std::size_t t = 0; t < S; ++t) {
        const int a = m_pnMolAtomCount[t], b = m_pnMolBondCount[t], k = m_pnMolAtomKindCount[t];
        if (a < 0 || b < 0 || k < 0 || k > a)
            throw FsException(1, "type table: type " + std::string(m_ppMolTypeName[t]) + " has " +
                                     std::to_string(a) + " atoms, " + std::to_string(b) +
                                     " bonds and " + std::to_string(k) + " distinct atom names");
        atoms += a;
        bonds += b;
    }
    if (atoms < 1) throw FsException(1, "type table: no type has atoms");

    // Atom table: codes, names, masses, charges, each type after type.
    rec = in.ReadRecord(16 * atoms, "atom table");
    m_ppnAtomCode.resize(S);
    m_ppAtomName.resize(S);
    m_ppfAtomMass.resize(S);
    m_ppfAtomCharge.resize(S);
    m_pfMolMass.assign(S, 0.0f);
    const char* p = rec.data();
    const auto A = static_cast<std::size_t>(atoms);
    for (std::size_t t = 0; t < S; ++t) {
        const auto a = static_cast<std::size_t>(m_pnMolAtomCount[t]);
        m_ppnAtomCode[t].resize(a);
        m_ppAtomName[t].resize(a);
        m_ppfAtomMass[t].resize(a);
        m_ppfAtomCharge[t].resize(a);
        for (std::size_t i = 0; i < a; ++i, p += 4) {
            m_ppnAtomCode[t][i] = in.Int(p);
            const char* name = p + 4 * A;
            FixedText<4>& out = m_ppAtomName[t][i];
            for (int c = 0; c < 4; ++c) out.text[c] = name[c] == '\0' ? ' ' : nameByte(name[c]);
            out.text[4] = '\0';
            m_ppfAtomMass[t][i] = in.Float(p + 8 * A);
            m_ppfAtomCharge[t][i] = in.Float(p + 12 * A);
            m_pfMolMass[t] += m_ppfAtomMass[t][i];
        }
    }

    m_ppnBondAtom1.resize(S);
    m_ppnBondAtom2.resize(S);
    m_ppBondName.resize(S);
    if (bonds > 0) {
        rec = in.ReadRecord(12 * bonds, "bond table");
        const auto B = static_cast<std::size_t>(bonds);
        p = rec.data();
        for (std::size_t t = 0; t < S; ++t) {
            const auto b = static_cast<std::size_t>(m_pnMolBondCount[t]);
            m_ppnBondAtom1[t].resize(b);
            m_ppnBondAtom2[t].resize(b);
            m_ppBondName[t].resize(b);
            for (std::size_t i = 0; i < b; ++i, p += 4) {
                m_ppnBondAtom1[t][i] = in.Int(p);
                m_ppnBondAtom2[t][i] = in.Int(p + 4 * B);
                setName(m_ppBondName[t][i], p + 8 * B);
            }
        }
    }

    const auto N = static_cast<std::size_t>(n);
    rec = in.ReadRecord(12 * static_cast<std::int64_t>(n), "initial positions");
    for (auto* v : {&m_pfX0, &m_pfY0, &m_pfZ0}) v->resize(N);
    in.Floats(rec.data(), m_pfX0.data(), N);
    in.Floats(rec.data() + 4 * N, m_pfY0.data(), N);
    in.Floats(rec.data() + 8 * N, m_pfZ0.data(), N);

    rec = in.ReadRecord(36, "initial cell");
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) m_fOrgH[r][c] = in.Float(&rec[4 * (3 * c + r)]);

    if (in.Position() > INT_MAX)
        throw FsException(1, "the header takes " + std::to_string(in.Position()) +
                                 " bytes, more than 2 GiB");

    m_pnInpFlag.assign(N, 0);
    for (auto* v : {&m_pdInpVecAX, &m_pdInpVecAY, &m_pdInpVecAZ, &m_pdInpVecBX, &m_pdInpVecBY,
                    &m_pdInpVecBZ})
        v->assign(N, 0.0);
}

// ---------------------------------------------------------------------------------------------
// Frame scan

std::int64_t SimFileContents::LeadBytes() const {
    std::int64_t lead = 0;
    if (m_nThermoCount > 0) lead += 4 * static_cast<std::int64_t>(m_nThermoCount) + 8;
    if (m_nExtraCount > 0) lead += 4 * static_cast<std::int64_t>(m_nExtraCount) + 8;
    if (m_nSkipCount > 0) lead += 4 * static_cast<std::int64_t>(m_nSkipCount) + 8;
    return lead;
}

std::int64_t SimFileContents::CountBytes() const {
    return m_bSp ? 12 + 4 * static_cast<std::int64_t>(m_nMolTypeCount) + 8 : 0;
}

void SimFileContents::ScanFrames(SimRecordReader& in) {
    const int declared = m_nStepCount;
    const int T = m_nThermoCount, X = m_nExtraCount;
    // The smallest a frame can be: a "Bk" frame has a fixed size, an "Sp" frame may hold no
    // atoms. Frames beyond what the file can hold are never allocated.
    const std::int64_t atoms = m_bSp ? 0 : m_nAtomCount;
    const std::int64_t minFrame = LeadBytes() + 44 + CountBytes() + 28 * atoms + 24 +
                                  8 * static_cast<std::int64_t>(m_nCoordRecCount - 3);
    const int room = static_cast<int>(std::min<std::int64_t>(declared, in.Left() / minFrame));

    m_ppfThermo.assign(kThermoSeries, std::vector<float>(static_cast<std::size_t>(room), 0.0f));
    m_ppfExtra.assign(kExtraSeries, std::vector<float>(static_cast<std::size_t>(room), 0.0f));
    m_pfDensity.assign(static_cast<std::size_t>(room), 0.0f);
    m_frameOffset.assign(static_cast<std::size_t>(room), 0);

    std::vector<char> block(static_cast<std::size_t>(LeadBytes() + 44 + CountBytes() + 4));
    int largest = m_nAtomCount;
    int scanned = 0;
    for (int f = 0; f < declared; ++f) {
        const std::int64_t start = in.Position();
        try {
            if (f >= room)
                throw SimFileEnds{frameWhere(f, start) + ": " + std::to_string(in.Left()) +
                                  " bytes left, a frame takes at least " +
                                  std::to_string(minFrame)};
            const auto F = static_cast<std::size_t>(f);
            in.ReadRaw(block.data(), static_cast<std::int64_t>(block.size()), "frame");
            const char* p = block.data();
            auto record = [&](std::int64_t expected, const char* what) {
                const std::int64_t at = start + (p - block.data());
                const std::int32_t length = in.Int(p);
                if (length < 0 || length != expected)
                    throw FsException(3, frameWhere(f, start) + ": " + what + " at byte " +
                                             std::to_string(at) + " has length " +
                                             std::to_string(length) + ", expected " +
                                             std::to_string(expected));
                SimRecordReader::CheckTrail(what, at, length, in.Int(p + 4 + length));
                const char* data = p + 4;
                p += length + 8;
                return data;
            };
            if (T > 0) {
                const char* q = record(4 * static_cast<std::int64_t>(T), "thermodynamic record");
                for (std::size_t k = 0; k < static_cast<std::size_t>(T); ++k)
                    m_ppfThermo[k][F] = in.Float(q + 4 * k);
            }
            for (int k : kPressureSeries) m_ppfThermo[static_cast<std::size_t>(k)][F] *= kGpaToAtm;
            for (int k : kEnergySeries) m_ppfThermo[static_cast<std::size_t>(k)][F] *= kEnergyScale;
            if (X > 0) {
                const char* q = record(4 * static_cast<std::int64_t>(X), "extra record");
                for (std::size_t k = 0; k < static_cast<std::size_t>(X); ++k)
                    m_ppfExtra[k][F] = in.Float(q + 4 * k);
            }
            if (m_nSkipCount > 0)
                record(4 * static_cast<std::int64_t>(m_nSkipCount), "skip record");
            const char* cell = record(36, "cell record");
            if (T < 12) {
                float rows[3][3];
                in.Floats(cell, &rows[0][0], 9);
                float lc[6];
                CalcLatticeConst(rows, lc[0], lc[1], lc[2], lc[3], lc[4], lc[5]);
                for (int k = 0; k < 6; ++k) m_ppfThermo[static_cast<std::size_t>(6 + k)][F] = lc[k];
            }
            int n = m_nAtomCount;
            if (m_bSp) {
                n = in.Int(record(4, "atom-count record"));
                if (n < 0) n = m_nAtomCount;
                m_nCurAtomCount = n;
                const char* counts = record(4 * static_cast<std::int64_t>(m_nMolTypeCount),
                                            "molecule-count record");
                for (int s = 0; s < m_nMolTypeCount; ++s)
                    m_pnMolCount[static_cast<std::size_t>(s)] = in.Int(counts + 4 * s);
            }
            m_pfDensity[F] = CalcDensity(f);

            // The coordinate records: positions, velocities, energies.
            const std::int64_t n12 = 12 * static_cast<std::int64_t>(n);
            const std::int32_t positions = in.Int(p);
            if (positions != n12)
                throw FsException(3, frameWhere(f, start) + ": position record at byte " +
                                         std::to_string(in.Position() - 4) + " has length " +
                                         std::to_string(positions) + ", expected " +
                                         std::to_string(n12) + " for " + std::to_string(n) +
                                         " atoms");
            in.Skip(n12 + 4 + (n12 + 8) + (4 * static_cast<std::int64_t>(n) + 8),
                    "coordinate records");
            for (int k = 3; k < m_nCoordRecCount; ++k) in.SkipRecord("coordinate record");

            m_frameOffset[F] = start;
            if (f == 0) m_nStepSize = saturate(in.Position() - start);
            largest = std::max(largest, n);
            if (n == 0 && m_firstEmptyFrame < 0) m_firstEmptyFrame = f;
            scanned = f + 1;
        } catch (const SimFileEnds& e) {
            if (f == 0) throw;
            CutFrames(scanned, e.message);
            break;
        } catch (const FsException& e) {
            if (f == 0) throw;
            CutFrames(scanned, e.Message());
            break;
        } catch (const CFileException& e) {
            if (f == 0) throw;
            CutFrames(scanned, e.GetMessage());
            break;
        }
        if (m_progressSink) m_progressSink(scanned, room);
    }
    m_nStepCount = scanned;
    m_largestAtomCount = largest;
}

void SimFileContents::CutFrames(int complete, const CString& reason) {
    const auto M = static_cast<std::size_t>(complete);
    for (auto& series : m_ppfThermo) series.resize(M);
    for (auto& series : m_ppfExtra) series.resize(M);
    m_pfDensity.resize(M);
    m_frameOffset.resize(M);
    Warn("the file holds " + std::to_string(complete) + " of the " +
         std::to_string(m_nDeclaredStepCount) + " frames its header promises; " + reason);
}

// ---------------------------------------------------------------------------------------------
// Tables built once the frames are known

void SimFileContents::BuildTables() {
    const auto S = static_cast<std::size_t>(m_nMolTypeCount);
    const auto M = static_cast<std::size_t>(m_nStepCount);

    // Distinct atom names of each type, in order of first appearance, as many as declared.
    m_pppMolAtomKindName.assign(S, {});
    for (std::size_t t = 0; t < S; ++t) {
        auto& kinds = m_pppMolAtomKindName[t];
        const auto declared = static_cast<std::size_t>(m_pnMolAtomKindCount[t]);
        kinds.resize(declared);
        std::size_t found = 0;
        for (const FixedText<4>& name : m_ppAtomName[t]) {
            if (found == declared) break;
            bool seen = false;
            for (std::size_t k = 0; k < found && !seen; ++k)
                seen = std::memcmp(kinds[k].text, name.text, 4) == 0;
            if (!seen) kinds[found++] = name;
        }
    }

    // Entry table: one entry per molecule type, one per atom kind of an atom type.
    std::size_t entries = 0;
    for (std::size_t t = 0; t < S; ++t)
        entries += m_pnMolBondCount[t] > 0 ? 1 : static_cast<std::size_t>(m_pnMolAtomKindCount[t]);
    m_nEntryCount = static_cast<int>(entries);
    m_ppEntryName.assign(entries, {});
    m_pcEntryKind.assign(entries, 'm');
    m_pnEntryMolType.assign(entries, 0);
    m_pnEntryAtomKind.assign(entries, 0);
    std::size_t e = 0;
    for (std::size_t t = 0; t < S; ++t) {
        if (m_pnMolBondCount[t] > 0) {
            m_ppEntryName[e] = m_ppMolTypeName[t];
            m_pcEntryKind[e] = 'm';
            m_pnEntryMolType[e] = static_cast<int>(t);
            ++e;
            continue;
        }
        for (std::size_t k = 0; k < m_pppMolAtomKindName[t].size(); ++k, ++e) {
            std::memcpy(m_ppEntryName[e].text, m_pppMolAtomKindName[t][k].text, 5);
            m_pcEntryKind[e] = 'a';
            m_pnEntryMolType[e] = static_cast<int>(t);
            m_pnEntryAtomKind[e] = static_cast<int>(k);
        }
    }
    m_pnEntryIndex = m_pnEntryMolType;
    m_pnMolTypeIndex.assign(S, -1);
    int molecular = 0;
    for (std::size_t t = 0; t < S; ++t)
        if (m_pnMolBondCount[t] > 0) m_pnMolTypeIndex[t] = molecular++;
    m_pnEntryIndex0 = m_pnEntryIndex;

    // Time axis in picoseconds, spread over the declared frames even when the file was cut.
    m_pfTime.resize(M);
    const float t0 = static_cast<float>(m_nStartStep) * m_fDt * 0.001f;
    const float span = static_cast<float>(m_nEndStep) * m_fDt * 0.001f - t0;
    const int intervals = m_nDeclaredStepCount - 1;
    for (std::size_t k = 0; k < M; ++k)
        m_pfTime[k] = intervals > 0
                          ? static_cast<float>(k) * span / static_cast<float>(intervals) + t0
                          : t0;

    const auto room = static_cast<std::size_t>(m_bSp ? m_largestAtomCount : m_nAtomCount);
    for (auto* v : {&m_pfX, &m_pfY, &m_pfZ, &m_pfVx, &m_pfVy, &m_pfVz, &m_pfEp})
        v->assign(room, 0.0f);
}

// ---------------------------------------------------------------------------------------------
// Type names

void SimFileContents::UpdateChamol() {
    const auto S = m_ppMolTypeName.size();
    for (auto& name : m_ppMolTypeName) {
        char* out = name.text;
        for (const char* in = name.text; *in; ++in)
            if (*in != ' ') *out++ = *in;
        *out = '\0';
    }
    // Repeatedly the first pair i < j of equal names has j renamed to its next copy name.
    // Groups of equal names keyed by their first two members find that pair without scanning
    // all pairs; a name with no further copy name leaves its group as it is.
    std::map<std::string, std::set<std::size_t>> groups;
    std::set<std::pair<std::size_t, std::size_t>> pairs;
    std::set<std::string> stuck;
    for (std::size_t t = 0; t < S; ++t) groups[m_ppMolTypeName[t].text].insert(t);
    auto firstPair = [&](const std::string& name, bool insert) {
        const auto& members = groups[name];
        if (members.size() < 2 || stuck.count(name)) return;
        const std::pair<std::size_t, std::size_t> pair{*members.begin(),
                                                       *std::next(members.begin())};
        if (insert) pairs.insert(pair);
        else pairs.erase(pair);
    };
    for (const auto& group : groups) firstPair(group.first, true);
    while (!pairs.empty()) {
        const std::size_t j = pairs.begin()->second;
        pairs.erase(pairs.begin());
        const std::string name = m_ppMolTypeName[j].text;
        DbComp comp(name.c_str());
        if (!comp.RenameAsCopy(16)) {
            stuck.insert(name);
            continue;
        }
        const std::string renamed = comp.Name().substr(0, 16);
        groups[name].erase(j);
        firstPair(name, true);
        firstPair(renamed, false);
        groups[renamed].insert(j);
        firstPair(renamed, true);
        std::memset(m_ppMolTypeName[j].text, 0, sizeof m_ppMolTypeName[j].text);
        std::memcpy(m_ppMolTypeName[j].text, renamed.data(), renamed.size());
    }
}

// ---------------------------------------------------------------------------------------------
// Steps

void SimFileContents::UpdatePresentTypes() {
    const auto S = m_pnMolCount.size();
    m_pnMolTypeIndex.assign(S, -1);
    int present = 0;
    for (std::size_t s = 0; s < S; ++s)
        if (m_pnMolCount[s] >= 1) m_pnMolTypeIndex[s] = present++;
    int absentSeen = 0, lastAbsent = -1;
    for (std::size_t e = 0; e < m_pnEntryIndex.size(); ++e) {
        const int t = m_pnEntryMolType[e];
        const auto type = static_cast<std::size_t>(t);
        if (t >= 0 && type < S && m_pnMolCount[type] >= 1) {
            m_pnEntryIndex[e] = t - absentSeen;
        } else {
            m_pnEntryIndex[e] = -1;
            if (t > lastAbsent) {
                ++absentSeen;
                lastAbsent = t;
            }
        }
    }
}

void SimFileContents::LoadInitialStep() {
    if (m_bSp) {
        m_nCurAtomCount = m_nAtomCount;
        m_pnMolCount = m_pnMolCount0;
    }
    std::memcpy(m_fH, m_fOrgH, sizeof m_fH);
    const auto n = std::min({static_cast<std::size_t>(std::max(m_nCurAtomCount, 0)),
                             m_pfX0.size(), m_pfX.size()});
    std::copy_n(m_pfX0.begin(), n, m_pfX.begin());
    std::copy_n(m_pfY0.begin(), n, m_pfY.begin());
    std::copy_n(m_pfZ0.begin(), n, m_pfZ.begin());
    for (auto* v : {&m_pfVx, &m_pfVy, &m_pfVz, &m_pfEp}) std::fill_n(v->begin(), n, 0.0f);
    if (m_nCurAtomCount != 0) {
        m_dSpeedMin = m_dSpeedMax = m_dTempMin = m_dTempMax = 0.0;
        m_dInternalMin = m_dInternalMax = m_dPotentialMin = m_dPotentialMax = 0.0;
    }
    m_nCurStep = 0;
    UpdatePresentTypes();
}

void SimFileContents::ReadFrameHead(SimRecordReader& in, int frame, bool cell) {
    const std::int64_t start = m_frameOffset[static_cast<std::size_t>(frame)];
    in.SeekTo(start + LeadBytes());
    std::vector<char> head(static_cast<std::size_t>(44 + CountBytes()));
    in.ReadRaw(head.data(), static_cast<std::int64_t>(head.size()), "frame");
    if (in.Int(&head[0]) != 36)
        throw FsException(3, frameWhere(frame, start) + ": the cell record changed since the "
                                                       "header was read");
    if (cell)
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) m_fH[r][c] = in.Float(&head[4 + 4 * (3 * c + r)]);
    if (!m_bSp) return;
    int n = in.Int(&head[48]);
    if (n < 0) n = m_nAtomCount;
    m_nCurAtomCount = n;
    for (std::size_t s = 0; s < m_pnMolCount.size(); ++s) {
        const int count = in.Int(&head[60 + 4 * s]);
        m_pnMolCount[s] = count < 0 || count > n ? m_pnMolCount0[s] : count;
    }
}

void SimFileContents::ReadStep(CFile64* file, int step) {
    if (m_nHeadSize == 0 || step > m_nStepCount ||
        static_cast<std::size_t>(std::max(step, 0)) > m_frameOffset.size())
        return;
    if (step < 1) {
        LoadInitialStep();
        return;
    }
    if (!file) throw FsException(1, "no file to read");
    const int frame = step - 1;
    try {
        SimRecordReader in(file, nullptr);
        in.SetSwapped(m_swapped);
        if (m_firstEmptyFrame >= 0 && m_firstEmptyFrame <= frame) {
            // Loading any later step walks through this frame and stops there; leave what
            // that walk leaves: the counts of the empty frame, the indexes of the one before.
            const int empty = m_firstEmptyFrame;
            if (empty > 0) {
                ReadFrameHead(in, empty - 1, false);
                UpdatePresentTypes();
            }
            ReadFrameHead(in, empty, empty == frame);
            throw FsException(1, frameWhere(empty, m_frameOffset[static_cast<std::size_t>(empty)]) +
                                     ": the frame holds no atoms");
        }
        ReadFrameHead(in, frame, true);
        const int n = m_nCurAtomCount;
        const std::int64_t start = m_frameOffset[static_cast<std::size_t>(frame)];
        if (n < 1 || static_cast<std::size_t>(n) > m_pfX.size())
            throw FsException(1, frameWhere(frame, start) + ": " + std::to_string(n) +
                                     " atoms, the file changed since the header was read");
        UpdatePresentTypes();

        // Positions, velocities and energies are read in one piece and checked record by record.
        const auto N = static_cast<std::size_t>(n);
        m_stepBuffer.resize(28 * N + 24);
        const std::int64_t at = in.Position();
        in.ReadRaw(m_stepBuffer.data(), static_cast<std::int64_t>(m_stepBuffer.size()),
                   "coordinate records");
        const char* p = m_stepBuffer.data();
        float* targets[] = {m_pfX.data(), m_pfY.data(), m_pfZ.data(), m_pfVx.data(),
                            m_pfVy.data(), m_pfVz.data(), m_pfEp.data()};
        std::size_t next = 0;
        for (const std::size_t values : {3u, 3u, 1u}) {
            const auto length = static_cast<std::int64_t>(4 * values * N);
            const std::int64_t where = at + (p - m_stepBuffer.data());
            if (in.Int(p) != length || in.Int(p + 4 + length) != length)
                throw FsException(3, frameWhere(frame, start) + ": coordinate record at byte " +
                                         std::to_string(where) + " has length " +
                                         std::to_string(in.Int(p)) + ", expected " +
                                         std::to_string(length));
            for (std::size_t v = 0; v < values; ++v)
                in.Floats(p + 4 + 4 * v * N, targets[next++], N);
            p += length + 8;
        }
        m_nCurStep = step;
    } catch (const SimFileEnds& e) {
        throw FsException(1, e.message);
    } catch (const CFileException& e) {
        throw FsException(1, e.GetMessage());
    }
}

int SimFileContents::ReadPositions(CFile64* file, int step, float h[3][3],
                                  const PositionBuffer& buffer) const {
    if (m_nHeadSize == 0) throw FsException(1, "no simulation header loaded");
    if (step < 0 || step > m_nStepCount ||
        static_cast<std::size_t>(step) > m_frameOffset.size())
        throw FsException(1, "step " + std::to_string(step) + " is not between 0 and " +
                                 std::to_string(m_nStepCount));
    if (step == 0) {
        const auto N = m_pfX0.size();
        std::memcpy(h, m_fOrgH, sizeof m_fOrgH);
        float* out = buffer(static_cast<int>(N));
        std::copy(m_pfX0.begin(), m_pfX0.end(), out);
        std::copy(m_pfY0.begin(), m_pfY0.end(), out + N);
        std::copy(m_pfZ0.begin(), m_pfZ0.end(), out + 2 * N);
        return static_cast<int>(N);
    }
    if (!file) throw FsException(1, "no file to read");
    const int frame = step - 1;
    const std::int64_t start = m_frameOffset[static_cast<std::size_t>(frame)];
    try {
        SimRecordReader in(file, nullptr);
        in.SetSwapped(m_swapped);
        in.SeekTo(start + LeadBytes());
        // The cell, the counts of an "Sp" frame and the position record's leading length.
        std::vector<char> head(static_cast<std::size_t>(44 + CountBytes() + 4));
        const char* p = head.data();
        in.ReadRaw(head.data(), static_cast<std::int64_t>(head.size()), "frame");
        if (in.Int(p) != 36 || in.Int(p + 40) != 36)
            throw FsException(3, frameWhere(frame, start) + ": the cell record changed since the "
                                                           "header was read");
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) h[r][c] = in.Float(p + 4 + 4 * (3 * c + r));
        int n = m_nAtomCount;
        if (m_bSp) {
            n = in.Int(p + 48);
            if (n < 0) n = m_nAtomCount;
        }
        const std::int64_t at = in.Position() - 4;
        const std::int64_t length = in.Int(p + head.size() - 4);
        const std::int64_t n12 = 12 * static_cast<std::int64_t>(n);
        if (length != n12)
            throw FsException(3, frameWhere(frame, start) + ": position record at byte " +
                                     std::to_string(at) + " has length " +
                                     std::to_string(length) + ", expected " +
                                     std::to_string(n12));
        in.Need(n12 + 4, "position record");
        float* out = buffer(n);
        in.ReadRaw(out, n12, "position record");
        if (in.Swapped())
            for (std::size_t i = 0; i < 3 * static_cast<std::size_t>(n); ++i)
                out[i] = in.Float(reinterpret_cast<const char*>(out + i));
        SimRecordReader::CheckTrail("position record", at, n12, in.ReadInt("position record"));
        return n;
    } catch (const SimFileEnds& e) {
        throw FsException(1, frameWhere(frame, start) + ": " + e.message);
    } catch (const CFileException& e) {
        throw FsException(1, frameWhere(frame, start) + ": " + e.GetMessage());
    }
}

// ---------------------------------------------------------------------------------------------
// Input file

void SimFileContents::ReadInpInfo(CFile* file) {
    if (m_nHeadSize == 0 || !file) return;
    try {
        SimRecordReader in(file, [](std::int32_t v) { return MagicNo::IsInpFormat(v) != 0; });
        const int magic = in.ReadFirstInt("input file magic number");
        if (!MagicNo::IsInpV2OrAfter(magic))
            throw FsException(3, "input file: magic number " + std::to_string(magic) +
                                     " is not that of version 2 or later");
        in.Skip(MagicNo::GetFileTitleLength(magic) + 166, "input file header");
        for (const char* list : {"first list", "second list"}) {
            in.Skip(8, list);
            const std::int64_t at = in.Position();
            const int count = in.ReadInt(list);
            if (count < 0)
                throw FsException(1, SimRecordReader::Where(list, at) + ": length " +
                                         std::to_string(count));
            in.Skip(4 + 12 * static_cast<std::int64_t>(count), list);
        }
        in.Skip(64, "input file counts");
        const int na = in.ReadInt("input file counts");
        const int sa = in.ReadInt("input file counts");
        in.Skip(4, "input file counts");
        if (na != m_nAtomCount && sa != m_nMolTypeCount)
            throw FsException(3, "input file: " + std::to_string(na) + " atoms and " +
                                     std::to_string(sa) + " types, the result file has " +
                                     std::to_string(m_nAtomCount) + " and " +
                                     std::to_string(m_nMolTypeCount));
        if (na < 0 || sa < 0 || sa > in.Left() / 36)
            throw FsException(1, "input file: " + std::to_string(na) + " atoms and " +
                                     std::to_string(sa) + " types cannot fit in the file");
        std::vector<char> types(36 * static_cast<std::size_t>(sa));
        const std::int64_t typesAt = in.Position();
        in.ReadRaw(types.data(), static_cast<std::int64_t>(types.size()), "input type table");
        // The molecule table: 48 bytes per atom of every molecule, 10 per bond and 40 per atom
        // of each bonded type. Each type's share is checked against what the file still holds
        // before it is added and the sum after, so no count can overflow it.
        std::int64_t tableBytes = 0;
        for (std::size_t t = 0; t < static_cast<std::size_t>(sa); ++t) {
            const int a = in.Int(&types[36 * t + 20]);
            const int b = in.Int(&types[36 * t + 24]);
            const int m = in.Int(&types[36 * t + 32]);
            if (a < 0 || b < 0 || m < 0)
                throw FsException(1, SimRecordReader::Where("input type table", typesAt) +
                                         ": type " + std::to_string(t + 1) + " has " +
                                         std::to_string(m) + " molecules of " +
                                         std::to_string(a) + " atoms and " + std::to_string(b) +
                                         " bonds");
            const std::int64_t atoms = static_cast<std::int64_t>(m) * a;
            const std::int64_t room = in.Left() - tableBytes;
            if (atoms > room / 48)
                throw FsException(1, SimRecordReader::Where("input type table", typesAt) +
                                         ": type " + std::to_string(t + 1) + " has " +
                                         std::to_string(m) + " molecules of " +
                                         std::to_string(a) + " atoms, more than the file holds");
            tableBytes += 48 * atoms + 10 * static_cast<std::int64_t>(b) +
                          (b > 0 ? 40 * static_cast<std::int64_t>(a) : 0);
            in.Need(tableBytes, "input molecule table");
        }
        in.Skip(tableBytes, "input molecule table");
        // The result file's arrays hold its own atoms; further input atoms are not read.
        const auto count = static_cast<std::size_t>(std::min(na, m_nAtomCount));
        std::vector<char> atoms(80 * count);
        in.ReadRaw(atoms.data(), static_cast<std::int64_t>(atoms.size()), "input atom table");
        for (std::size_t i = 0; i < count; ++i) {
            const char* p = &atoms[80 * i + 28];
            m_pnInpFlag[i] = in.Int(p);
            m_pdInpVecAX[i] = in.Double(p + 4);
            m_pdInpVecAY[i] = in.Double(p + 12);
            m_pdInpVecAZ[i] = in.Double(p + 20);
            m_pdInpVecBX[i] = in.Double(p + 28);
            m_pdInpVecBY[i] = in.Double(p + 36);
            m_pdInpVecBZ[i] = in.Double(p + 44);
        }
    } catch (const SimFileEnds& e) {
        throw FsException(1, "input file: " + e.message);
    }
}

// ---------------------------------------------------------------------------------------------
// Derived quantities

double SimFileContents::CalcTemperature(double mass, double speedSq) const {
    const long double dt = m_fDt;
    return static_cast<double>(static_cast<long double>(mass) * speedSq * kAmu /
                               (dt * dt * kThreeBoltzmann));
}

double SimFileContents::CalcInternal(double mass, double speedSq, double potential) const {
    const double dt = m_fDt;
    return mass * speedSq * kHalfAmu / (dt * dt) + potential;
}

void SimFileContents::SetMinMax(double& min, double& max, double value) const {
    if (value > max) max = value;
    else if (value < min) min = value;
}

float SimFileContents::CalcDensity(int frame) {
    if (m_ppfThermo.size() < 3 || frame < 0 ||
        static_cast<std::size_t>(frame) >= m_ppfThermo[2].size())
        return 0.0f;
    const float volume = m_ppfThermo[2][static_cast<std::size_t>(frame)];
    if (!(volume > 0.0f)) return 0.0f;
    long double sum = 0.0L;
    for (std::size_t s = 0; s < m_pnMolCount.size(); ++s)
        sum += static_cast<long double>(m_pnMolCount[s]) * m_pfMolMass[s];
    return static_cast<float>(sum / (static_cast<long double>(volume) * kAvogadro));
}

void SimFileContents::CalcLatticeConst(float cell[3][3], float& a, float& b, float& c,
                                       float& alpha, float& beta, float& gamma) {
    auto dot = [](const float* u, const float* v) -> float {
        const float xx = u[0] * v[0];
        const float yy = u[1] * v[1];
        const float zz = u[2] * v[2];
        const float xy = xx + yy;
        return xy + zz;
    };
    a = std::sqrt(dot(cell[0], cell[0]));
    b = std::sqrt(dot(cell[1], cell[1]));
    c = std::sqrt(dot(cell[2], cell[2]));
    const float dbc = dot(cell[1], cell[2]);
    const float dac = dot(cell[0], cell[2]);
    const float dab = dot(cell[0], cell[1]);
    auto angle = [](float d, float p, float q) -> float {
        const float product = p * q;
        const float ratio = d / product;
        const auto radians = static_cast<float>(std::acos(static_cast<double>(ratio)));
        return radians * kDegPerRad;
    };
    alpha = angle(dbc, c, b);
    beta = angle(dac, c, a);
    gamma = angle(dab, b, a);
}

} // namespace qrtz
