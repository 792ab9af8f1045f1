#pragma once
// What a simulation result file holds, apart from the structure built from it: the header
// (title, steps, molecule types, atoms, bonds, initial positions and cell), the per-frame
// thermodynamic series, an index of the frames, and the arrays of the one frame loaded.
// KelDbSim adds the molecular crystal and the trajectory on top.
//
// The host reads the m_... members directly. Arrays per type have m_nMolTypeCount entries,
// per atom m_nAtomCount, per frame m_nStepCount, per entry m_nEntryCount; all are empty while
// nothing is loaded. Names (types, atoms, bonds) hold a control byte of the file as '?', so
// that they can be written as text.
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "qrtzdb/platform/CFile.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// A text field of at most N bytes, always terminated: usable wherever a C string is.
template <std::size_t N>
struct FixedText {
    // The bytes and their terminator.
    char text[N + 1] = {};

    // The text as a C string, and its length in bytes.
    operator const char*() const { return text; }
    const char* c_str() const { return text; }
    std::size_t size() const { return std::strlen(text); }
};

// The header, series and frame index of a simulation result file and the arrays of the frame
// loaded, as the host reads them (see the top of this header).
class SimFileContents {
public:
    // Room per frame for thermodynamic and extra quantities, and the longest title in bytes.
    static constexpr int kThermoSeries = 21;
    static constexpr int kExtraSeries = 6;
    static constexpr int kMaxTitle = 256;

    // Receives non-fatal findings, such as a file that holds fewer frames than its header
    // promises. Nothing is printed when no sink is set.
    using WarningSink = std::function<void(const CString& message)>;
    // Called after each frame of the scan with the frames scanned so far and the frames the
    // header promises (bounded by what the file can hold).
    using ProgressSink = std::function<void(int scanned, int total)>;

    SimFileContents();
    SimFileContents(const SimFileContents&) = delete;
    SimFileContents& operator=(const SimFileContents&) = delete;
    virtual ~SimFileContents();

    // Where warnings and progress reports go; an empty function silences them.
    void SetWarningSink(WarningSink sink) { m_warningSink = std::move(sink); }
    void SetProgressSink(ProgressSink sink) { m_progressSink = std::move(sink); }

    // Reads the header and scans every frame once for the series and the frame index. Throws
    // FsException: 3 for a record of unexpected length, 1 for impossible counts and for a file
    // that ends in the header or in the first frame. A file cut later loads the frames it
    // holds completely, and the warning sink hears of it.
    void ReadHead(CFile64* file);

    // Loads step 0 (the initial structure, also for any step below 1) or recorded frame step
    // (1 to m_nStepCount) into the step arrays, m_fH and the current counts; a step above
    // m_nStepCount, or no loaded header, does nothing. Seeks straight to the frame. Throws
    // FsException(1) when this or an earlier frame holds no atoms, or when the file no longer
    // holds the frame; FsException(3) when the frame's coordinate records have the wrong length.
    void ReadStep(CFile64* file, int step);

    // Where ReadPositions puts a step's positions: called once the step's atom count is known,
    // it returns room for 3 × atoms floats.
    using PositionBuffer = std::function<float*(int atoms)>;

    // Reads the cell and positions of step 0 (the header's initial structure) or of recorded
    // frame step (1 to m_nStepCount) through the frame index: one seek and two reads, nothing
    // else of the frame, the positions straight into the caller's buffer, so frames come in
    // any order at the speed the file delivers them. Fills h with the step's cell (H[row]
    // [column], columns the cell vectors) and the buffer with every x, then every y, then every
    // z: fractional coordinates as the file holds them (centred on 0). Returns the atom count
    // (0 for a frame without atoms). The loaded step, its counts and the molecular crystal stay
    // as they are. Throws FsException(1) without a loaded header, for a step outside 0 to
    // m_nStepCount and when the file no longer holds the frame; FsException(3) when its cell
    // or position record has the wrong length.
    int ReadPositions(CFile64* file, int step, float h[3][3], const PositionBuffer& buffer) const;

    // Reads the per-atom flag and the two vectors of each atom from the simulator's input file,
    // from its start. Throws FsException(3) for an input file older than version 2 or one that
    // differs in both atom and type count, FsException(1) for counts the file cannot hold.
    // Does nothing without a loaded header.
    void ReadInpInfo(CFile* file);

    // Makes the type names usable as component names: no blanks, no two alike.
    void UpdateChamol();

    // The initial cell of the header, cell vectors as the columns of H.
    void GetOrgHmatrix(double H[3][3]) const;

    // The file offset of a recorded frame (0-based), -1 outside 0 to m_nStepCount - 1.
    std::int64_t GetFrameOffset(int frame) const;

    // The unloaded state; the cells keep their values.
    void InitFileContents();
    // Releases every array and returns to the unloaded state.
    void DeleteFileContents();

    // 1 for a variable-population (Sp) run, whose frames carry their own atom and molecule counts.
    int m_bSp = 0;
    // Byte length of the header records: the offset of the first frame; 0 while nothing is loaded.
    int m_nHeadSize = 0;
    // Byte length of the first frame's records.
    int m_nStepSize = 0;
    // Frames the file holds completely; 2 while nothing is loaded.
    int m_nStepCount = 2;
    // The step in the step arrays, 0 being the initial structure.
    int m_nCurStep = 0;
    // The file's magic number (MagicNo); 0 for the oldest layout.
    int m_nMagicNo = 0;
    // The run's title.
    char m_szTitle[kMaxTitle + 1] = {};
    // The texts of the header's third and fourth records.
    char m_szText46[47] = {};
    char m_szText80[81] = {};
    // The step record: total steps, first and last recorded step, recording interval.
    int m_nTotalStep = 0, m_nStartStep = 0, m_nEndStep = 0, m_nInterval = 0;
    // The time step in femtoseconds.
    float m_fDt = 0.0f;
    // The run's parameters, kept for the host.
    int m_nParam1 = 0, m_nParam2 = 0, m_nParam3 = 0;
    float m_fParam4 = 0.0f;
    // Atoms in the header (N).
    int m_nAtomCount = 0;
    // Molecule types (S).
    int m_nMolTypeCount = 0;
    // Per frame: thermodynamic quantities, extra quantities, skipped values, coordinate records.
    int m_nThermoCount = 6, m_nExtraCount = 0, m_nSkipCount = 0, m_nCoordRecCount = 3;
    // The frame count the header's step record promises; m_nStepCount is less when the file
    // was cut.
    int m_nDeclaredStepCount = 0;

    // Per type: name, code, initial molecule count, atoms, bonds and distinct atom names per
    // molecule.
    std::vector<FixedText<16>> m_ppMolTypeName;
    std::vector<int> m_pnMolTypeCode;
    std::vector<int> m_pnMolCount0;
    std::vector<int> m_pnMolAtomCount;
    std::vector<int> m_pnMolBondCount;
    std::vector<int> m_pnMolAtomKindCount;
    // Per type, per atom of one molecule: code, name, mass (u) and charge (e).
    std::vector<std::vector<int>> m_ppnAtomCode;
    std::vector<std::vector<FixedText<4>>> m_ppAtomName;
    std::vector<std::vector<float>> m_ppfAtomMass;
    std::vector<std::vector<float>> m_ppfAtomCharge;
    // Per type: the mass of one molecule (u).
    std::vector<float> m_pfMolMass;
    // Per type, per bond: its two atoms (1-based) and its name.
    std::vector<std::vector<int>> m_ppnBondAtom1, m_ppnBondAtom2;
    std::vector<std::vector<FixedText<4>>> m_ppBondName;
    // The initial fractional positions of all atoms, and the initial cell (vectors as columns).
    std::vector<float> m_pfX0, m_pfY0, m_pfZ0;
    float m_fOrgH[3][3] = {};
    // The series per frame, loaded by ReadHead: thermodynamic quantities (2 is the volume, 6 to 11
    // the lattice constants), density (g/Å³), extra quantities.
    std::vector<std::vector<float>> m_ppfThermo;  // [quantity][frame], 21 series
    std::vector<float> m_pfDensity;
    std::vector<std::vector<float>> m_ppfExtra;   // [quantity][frame], 6 series
    // The loaded frame: its cell (vectors as columns), fractional positions, velocities
    // (fractional per time step) and potential energies of its atoms.
    float m_fH[3][3] = {};
    std::vector<float> m_pfX, m_pfY, m_pfZ, m_pfVx, m_pfVy, m_pfVz, m_pfEp;
    // Per atom, from the input file (ReadInpInfo): the flag and its two vectors.
    std::vector<int> m_pnInpFlag;
    std::vector<double> m_pdInpVecAX, m_pdInpVecAY, m_pdInpVecAZ;
    std::vector<double> m_pdInpVecBX, m_pdInpVecBY, m_pdInpVecBZ;
    // Atoms in the loaded frame.
    int m_nCurAtomCount = 0;
    // The entry table: one entry per molecule type and per atom name of an atom type (ReadHead).
    int m_nEntryCount = 0;
    std::vector<FixedText<16>> m_ppEntryName;
    std::vector<char> m_pcEntryKind;  // 'm' molecule type, 'a' atom kind
    std::vector<int> m_pnEntryMolType;
    std::vector<int> m_pnEntryAtomKind;
    // Per entry and per type: the indexes among the types present in the loaded frame; the entry
    // indexes as the header left them.
    std::vector<int> m_pnEntryIndex;
    std::vector<int> m_pnMolTypeIndex;
    std::vector<int> m_pnEntryIndex0;
    // Per type: the distinct atom names of one molecule.
    std::vector<std::vector<FixedText<4>>> m_pppMolAtomKindName;
    // Per type: molecules in the loaded frame.
    std::vector<int> m_pnMolCount;
    // Per frame: the time in picoseconds.
    std::vector<float> m_pfTime;
    // The extremes of speed, temperature, internal and potential energy over the atoms of the
    // loaded frame.
    double m_dSpeedMin = 0, m_dSpeedMax = 0;
    double m_dTempMin = 0, m_dTempMax = 0;
    double m_dInternalMin = 0, m_dInternalMax = 0;
    double m_dPotentialMin = 0, m_dPotentialMax = 0;

protected:
    // Kelvin, for a mass in atomic units and a squared speed in length units per time step.
    double CalcTemperature(double mass, double speedSq) const;
    // Kinetic plus potential energy in g·Å²·fs⁻².
    double CalcInternal(double mass, double speedSq, double potential) const;
    // Widens [min, max] to hold value.
    void SetMinMax(double& min, double& max, double value) const;
    // From the volume series and the current molecule counts.
    float CalcDensity(int frame);
    // The rows of cell are the three cell vectors.
    void CalcLatticeConst(float cell[3][3], float& a, float& b, float& c, float& alpha,
                          float& beta, float& gamma);

    // The present-type indexes of the current molecule counts.
    void UpdatePresentTypes();

    // Hands message to the warning sink, if one is set.
    void Warn(const CString& message) const;

private:
    void ReadHeader(class SimRecordReader& in);
    void ScanFrames(SimRecordReader& in);
    void CutFrames(int complete, const CString& reason);
    void BuildTables();
    void LoadInitialStep();
    // Reads a frame's cell (into m_fH when cell is set) and, in "Sp" files, its counts.
    void ReadFrameHead(SimRecordReader& in, int frame, bool cell);
    // Bytes of the records before a frame's cell, and of the count records after it.
    std::int64_t LeadBytes() const;
    std::int64_t CountBytes() const;

    WarningSink m_warningSink;
    ProgressSink m_progressSink;
    // Where each recorded frame starts in the file.
    std::vector<std::int64_t> m_frameOffset;
    // The first frame whose atom count is 0 (the walk to any later step stops there), or -1.
    int m_firstEmptyFrame = -1;
    // The raw bytes of a frame's coordinate records, reused by every step load.
    std::vector<char> m_stepBuffer;
    // The most atoms any frame holds.
    int m_largestAtomCount = 0;
    // The file's byte order is not the host's.
    bool m_swapped = false;
};

} // namespace qrtz
