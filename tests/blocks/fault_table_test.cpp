// Every operation that moves a block, run again with each of its drive transfers failing in
// turn (moving nothing, coming back short, or the drive dying there): the failure must reach the
// user with the block named, no block may be left changed halfway unless the user was told it
// may be damaged, no PC file may mix data, and a failed whole-drive format writes no count.
#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "blocks/block_header.h"
#include "blocks/drive_format.h"
#include "blocks/local_time.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"
#include "jobs/format_worker.h"
#include "support/drive_image_test.h"
#include "support/test_bytes.h"

namespace fs = std::filesystem;

namespace {

// The operations, each with the job that runs it (the whole-drive format runs without one).
enum class Op { Save, WriteImage, Format, FormatDrive, Open, Export };
const std::pair<const char*, int> kOps[] = {{"Save", JOB_SAVE},     {"WriteImage", JOB_WRITE_IMAGE},
                                            {"Format", JOB_FORMAT}, {"FormatDrive", -1},
                                            {"Open", JOB_OPEN},     {"Export", JOB_EXPORT_IMAGE}};
const char* const kFaultNames[] = {"Fail", "Short", "Dead", "Lost"};

struct FaultCase {
    Op op;
    int k;
    Fault fault;
};

std::string CaseName(const FaultCase& c) {
    return std::string(kOps[static_cast<int>(c.op)].first) + "_k" + std::to_string(c.k) + "_" +
           kFaultNames[static_cast<int>(c.fault)];
}

std::string Number(uint32_t block) {  // as the block list shows it
    return std::string(block < 10 ? 2 : block < 100 ? 1 : 0, '0') + std::to_string(block);
}

// The files below a PC folder with their bytes; "" when it is missing or holds none.
std::string TreeText(const std::string& root) {
    std::error_code missing;
    std::string text;
    for (fs::recursive_directory_iterator it(fs::u8path(root), missing), end; it != end; ++it)
        if (it->is_regular_file())
            text += it->path().u8string().substr(root.size()) + "=" + ReadWholeFile(it->path().string()) + "\n";
    return text;
}

constexpr uint32_t kSlots = 3;  // blocks 0 to 2, and one sector for the end mark after them
constexpr uint32_t kVolumeBytes = kHeaderSector * kSectorSize;

// What a run left: its result, what the user was told, the drive, and what reached the PC.
struct Outcome {
    int result = 0;
    std::vector<std::string> told;
    std::string drive;
    std::map<std::string, std::string> pc;  // PC folder or file to what it holds ("" for nothing)
    std::vector<Transfer> transfers;
};

// The table's drive: bytes in memory that outlive every open of them (and need no flushing),
// refusing writes when opened only for reading, as a read-only image does.
struct HeldDrive : RawDrive {
    MemoryDrive& m;
    bool writable;
    HeldDrive(MemoryDrive& memory, bool forWriting) : m(memory), writable(forWriting) {}
    bool ReadAt(uint64_t at, void* to, uint32_t n, uint32_t* done) override { return m.ReadAt(at, to, n, done); }
    bool WriteAt(uint64_t at, const void* p, uint32_t n, uint32_t* done) override {
        return writable ? m.WriteAt(at, p, n, done) : (*done = 0, SetLastSystemError(5), false);
    }
    bool Flush() override { return true; }
    bool SyncForReadBack(uint64_t, uint64_t) override { return true; }
};

class FaultTableTest : public DriveImageTest, public ::testing::WithParamInterface<FaultCase> {
public:
    FaultTableTest() { MakeDrive(kSlots); }  // the drive record; the bytes live in memory
    void TestBody() override {}              // the case list is made with bare fixtures

    // Runs op on a drive as Prepared() left it, transfer failAt failing (0: none).
    Outcome RunOp(Op op, int failAt, Fault fault) {
        const std::string& prepared = Prepared();
        std::copy(prepared.begin(), prepared.end(), memory.bytes().begin());
        EXPECT_EQ(Run(JOB_LIST), 0);  // as a drive is shown: the block image holds block 2's head
        jobs.parameters = JobParameters();
        jobs.parameters.imagePath = WideFromUtf8(dir.File(op == Op::Export ? "out.img" : "in.img"));
        if (op == Op::WriteImage) WriteWholeFile(dir.File("in.img"), image);
        static TempDir folders;  // made once: a save carries their times into the entries
        if (!Exists(folders.File("FLOPPY001"))) {
            PutFile(folders.File("FLOPPY001/NEW1.TXT"), TestBytes(5000, 3));
            PutFile(folders.File("FLOPPY002/New Dir/NEW2.BIN"), TestBytes(40000, 4));
        }
        jobs.SetDirectoryRoot(op == Op::Save ? WideFromUtf8(folders.path()) : L"");
        fs::remove_all(fs::u8path(uploadRoot));
        fs::remove(fs::u8path(dir.File("out.img")));
        Select(op == Op::Export ? std::vector<int>{1} : std::vector<int>{1, 2});
        frontEnd.log.clear();
        faults->transfers.clear();
        faults->failAt = failAt;
        faults->fault = fault;
        Outcome out;
        out.result = op == Op::FormatDrive ? FormatWholeDrive(2, Format720K) : Run(kOps[static_cast<int>(op)].second);
        faults->failAt = 0;
        for (std::string line : frontEnd.log) {
            for (size_t at; (at = line.find(dir.path())) != std::string::npos;)
                line.replace(at, dir.path().size(), "<tmp>");
            std::replace(line.begin(), line.end(), '\\', '/');
            out.told.push_back(line);
        }
        out.drive = std::string(reinterpret_cast<const char*>(memory.bytes().data()), memory.bytes().size());
        out.transfers = faults->transfers;
        for (uint32_t b : {1u, 2u})
            if (op == Op::Open) out.pc["FLOPPY" + Number(b)] = TreeText(UploadDir(b));
        if (op == Op::Export) out.pc["out.img"] = ReadWholeFile(dir.File("out.img"));
        return out;
    }

    // Blocks 0 and 2 of 1.44M and block 1 of 720K, written at another time than the tests run
    // at, blocks 1 and 2 holding files; and an image of block 2.
    const std::string& Prepared() {
        static std::string prepared;
        if (!prepared.empty()) return prepared;
        FixLocalTime(LocalTime{2025});
        EXPECT_EQ(FormatWholeDrive(3, Format144M), 0);
        EXPECT_EQ(Run(JOB_LIST), 0);
        Select({1});
        jobs.parameters.floppyFormat = Format720K;
        EXPECT_EQ(Run(JOB_FORMAT), 0);
        PutFile(UploadDir(1) + Sep() + "OLD1.TXT", TestBytes(3000, 1));
        PutFile(UploadDir(2) + Sep() + "Old Folder" + Sep() + "OLD2.BIN", TestBytes(20000, 2));
        Select({1, 2});
        EXPECT_EQ(Run(JOB_SAVE), 0);
        Select({2});
        jobs.parameters.imagePath = WideFromUtf8(dir.File("image.img"));
        EXPECT_EQ(Run(JOB_EXPORT_IMAGE), 0);
        image = ReadWholeFile(dir.File("image.img"));
        FixLocalTime(LocalTime{2026, 12, 5, 19, 59, 44});
        return prepared = std::string(reinterpret_cast<const char*>(memory.bytes().data()), memory.bytes().size());
    }

private:
    static inline std::string image;

    std::unique_ptr<RawDrive> Open(bool forWriting) {
        return std::make_unique<FaultDrive>(std::make_unique<HeldDrive>(memory, forWriting), faults);
    }
    int Run(int kind) {
        int result = 0x7777;
        EXPECT_TRUE(jobs.RunJob(kind, drive, &result));
        return result;
    }
    // A quick whole-drive format through the fault plan, telling the front end what it says.
    int FormatWholeDrive(uint32_t count, int format) {
        struct Host : DriveFormatHost {
            FaultTableTest& t;
            explicit Host(FaultTableTest& test) : t(test) {}
            bool OpenDrive() override { return t.sectors.AttachDrive(t.Open(true)), true; }
            void CloseDrive() override { t.sectors.CloseDrive(); }
            uint32_t LastSector() override { return t.drive.lastSector; }
            void Inform(const std::wstring& text) override { t.frontEnd.Inform(text); }
        } host(*this);
        return FormatWorker(blocks).Run(host, count, JobParameters{L"", format, 1, DosNone},
                                        [this](const BlockFailure& f) { frontEnd.ShowBlockFailure(f); });
    }

    MemoryDrive memory{kSlots * kBlockImageSize + kSectorSize};
    JobRunner jobs{blocks, frontEnd, [this](const DriveRecord&, bool forWriting) { return Open(forWriting); }};
};

// The clean run of each operation, made once per process on a fixture of its own.
const Outcome& Clean(Op op) {
    static std::map<Op, Outcome> clean;
    auto it = clean.find(op);
    if (it != clean.end()) return it->second;
    static FaultTableTest bare;
    return clean[op] = bare.RunOp(op, 0, Fault::Fail);
}

// For every transfer of a clean run: that transfer failing, coming back short, the drive dying
// there (unless it is the last, where that is a failure), and a write kept by nothing.
std::vector<FaultCase> AllCases() {
    std::vector<FaultCase> cases;
    for (int op = 0; op < 6; ++op) {
        const std::vector<Transfer>& clean = Clean(static_cast<Op>(op)).transfers;
        int count = static_cast<int>(clean.size());
        for (Fault fault : {Fault::Fail, Fault::Short, Fault::Dead, Fault::Lost})
            for (int k = 1; k <= count; ++k)
                if ((fault != Fault::Dead || k < count) && (fault != Fault::Lost || clean[k - 1].write))
                    cases.push_back({static_cast<Op>(op), k, fault});
    }
    return cases;
}

// The promises a run whose transfer to failedBlock failed broke, each with what was seen:
//   silent  - nothing told of a failure, yet the run did not end as a clean run does;
//   unnamed - a failure was told, but nothing told names the block of the failed transfer;
//   corrupt - a block's volume is neither as before nor as after a clean run, and the user was
//             not told that this block may be damaged;
//   pc      - a PC folder or file holds something, but not what a clean run leaves;
//   count   - a whole-drive format that did not end as a clean one wrote its new block count.
std::map<std::string, std::string> Verdict(const std::string& before,
                                           const Outcome& clean,
                                           const Outcome& run,
                                           uint32_t failedBlock) {
    static const std::set<std::string> listKinds = {"rows",    "row",    "cell",  "arrange",
                                                    "visible", "active", "views", "focus"};
    std::map<std::string, std::string> broken;
    const std::set<std::string> cleanLines(clean.told.begin(), clean.told.end());
    std::vector<std::string> reports;  // what a clean run does not tell, the list aside
    std::string told;
    for (const std::string& line : run.told)
        if (!cleanLines.count(line) && !listKinds.count(line.substr(0, line.find(':'))))
            reports.push_back(line), told += "\n    " + line;
    auto names = [&](uint32_t block, const char* word) {
        return std::any_of(reports.begin(), reports.end(), [&](const std::string& line) {
            return line.find(Number(block)) != std::string::npos && line.find(word) != std::string::npos;
        });
    };
    const bool asClean = run.drive == clean.drive && run.pc == clean.pc;
    if (reports.empty() && !asClean) broken["silent"] = "result " + std::to_string(run.result) + ", nothing told";
    if (!reports.empty() && !names(failedBlock, "")) broken["unnamed"] = "told:" + told;
    for (uint32_t b = 0; b < kSlots; ++b) {
        auto same = [&](const std::string& other) {
            return run.drive.compare(b * kBlockImageSize, kVolumeBytes, other, b * kBlockImageSize, kVolumeBytes) == 0;
        };
        if (same(before) || same(clean.drive) || names(b, "damaged")) continue;
        size_t at = b * kBlockImageSize;
        while (run.drive[at] == clean.drive[at])
            ++at;
        broken["corrupt"] += "block " + Number(b) + " differs from its old state, and from a clean run's from sector " +
                             std::to_string(at / kSectorSize % kSlotSectors) + "; ";
    }
    for (const auto& [path, held] : run.pc)
        if (!held.empty() && held != clean.pc.at(path)) broken["pc"] += path + " holds what a clean run does not; ";
    auto count = [](const std::string& d) { return d.substr(kHeaderSector * kSectorSize + kMaxBlockOffset, 13); };
    if (!asClean && count(clean.drive) != count(before) && count(run.drive) == count(clean.drive))
        broken["count"] = count(run.drive) + " written";
    return broken;
}

TEST_P(FaultTableTest, FailureIsToldWithTheBlockAndNothingIsLeftHalfDone) {
    const FaultCase c = GetParam();
    Outcome run = RunOp(c.op, c.k, c.fault);
    ASSERT_GE(run.transfers.size(), static_cast<size_t>(c.k)) << "the run made fewer transfers than a clean one";
    FaultPlan failed;
    failed.transfers = {run.transfers[static_cast<size_t>(c.k - 1)]};
    std::string words, details;
    for (const auto& [word, seen] : Verdict(Prepared(), Clean(c.op), run, failed.transfers[0].sector / kSlotSectors)) {
        words += (words.empty() ? "" : " ") + word;
        details += "\n  " + word + ": " + seen;
    }
    if (!words.empty())
        ADD_FAILURE() << "transfer " << c.k << " (" << failed.Describe() << ") "
                      << kFaultNames[static_cast<int>(c.fault)] << "; promises broken: {" << words << "}" << details;
}

INSTANTIATE_TEST_SUITE_P(Operations,
                         FaultTableTest,
                         ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<FaultCase>& info) { return CaseName(info.param); });

}  // namespace
