#include "sync/Executor.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <unordered_set>

#include "core/Error.h"
#include "core/Throttle.h"
#include "platform/Path.h"
#include "sync/CopyPipeline.h"
#include "sync/FolderError.h"
#include "sync/FolderPass.h"
#include "sync/RootCheck.h"
#include "sync/TimeRules.h"

namespace tessarin::sync {

namespace {

// Updates under way at once: enough to overlap their waits for the disk.
constexpr unsigned kCopyThreads = 4;

using Command = SyncCommand;

const char* sideName(SyncSide side)
{
    return side == SyncSide::One ? "目录一" : "目录二";
}

// Hides the progress indicator on every way out of the row loop.
class FractionReset {
public:
    explicit FractionReset(core::Progress& progress) : progress_(progress) {}
    ~FractionReset() { progress_.setFraction(0, 0); }
    FractionReset(const FractionReset&) = delete;
    FractionReset& operator=(const FractionReset&) = delete;

private:
    core::Progress& progress_;
};

std::string rowProgressText(std::size_t current, std::size_t total)
{
    char text[96];
    std::snprintf(text, sizeof text, "正在同步，当前%llu个，共%llu个...", static_cast<unsigned long long>(current),
                  static_cast<unsigned long long>(total));
    return text;
}

// One run of one command, from its checks to its report.
class CommandRun {
public:
    CommandRun(SyncSession& session, core::Progress& progress, Command command, SyncSide side,
               const SyncOptions& options, bool refreshAfterwards)
        : session_(session), fs_(session.fileSystem()), progress_(progress), command_(command), checkedSide_(side),
          options_(options), refreshAfterwards_(refreshAfterwards), folders_(session, fs_)
    {}

    SyncReport run()
    {
        SyncReport report;
        report.command = command_;
        if (session_.busy() || nothingToDo())
            return report;
        const bool walkedInto[2] = {session_.holdsOtherRoot(SyncSide::One), session_.holdsOtherRoot(SyncSide::Two)};
        if (const auto notice = rootsRefusal(fs_, session_.root(SyncSide::One), session_.root(SyncSide::Two),
                                             requiredSource(), walkedInto)) {
            report.refused = true;
            report.refusal = *notice;
            return report;
        }
        report.ran = true;
        {
            SyncSession::BusyScope busy(session_);
            try {
                runRows(plan(), report);
            } catch (...) {
                (void)fs_.flushWrites(); // what was written before the error stays written
                throw;
            }
            flushWrites(report);
        }
        // The stop was meant for the rows: the refresh still lists what is
        // left to do, unless the request stops everything (the window closes).
        if (progress_.stopRequested())
            progress_.stopHeeded();
        if (report.stopped)
            progress_.setStatus("同步已停止。");
        if (refreshAfterwards_)
            refresh();
        return report;
    }

    // The rows that will run, in the order they run. Decided before the first
    // row: the lists do not change while the command runs, and the total is
    // shown with every row.
    std::vector<PlannedRow> plan()
    {
        std::vector<PlannedRow> rows;
        auto take = [&](SyncSide side) {
            const OperationList& list = session_.list(side);
            for (std::size_t i = 0; i < list.size(); ++i)
                if (runs(side, list[i]))
                    rows.push_back({side, i});
        };
        switch (command_) {
        case Command::OneToTwo:
            take(SyncSide::One);
            break;
        case Command::TwoToOne:
            take(SyncSide::Two);
            break;
        case Command::BothWays:
            noteBothWaysPairs();
            take(SyncSide::One);
            take(SyncSide::Two);
            break;
        case Command::CheckedRows:
            take(checkedSide_);
            break;
        }
        return rows;
    }

private:
    bool nothingToDo() const
    {
        if (command_ == Command::CheckedRows)
            return session_.list(checkedSide_).empty();
        return session_.list(SyncSide::One).empty() && session_.list(SyncSide::Two).empty();
    }

    // The side whose files the rows carry over: it must exist, or the rows
    // would delete the other side's files for a mistyped path.
    std::optional<SyncSide> requiredSource() const
    {
        return command_ == Command::CheckedRows ? checkedSide_ : sourceSide(command_);
    }

    bool runs(SyncSide side, const SyncOperation& row) const
    {
        switch (command_) {
        case Command::CheckedRows:
            return row.Checked;
        case Command::OneToTwo:
        case Command::TwoToOne:
            if (row.operation == Operation::Delete)
                return options_.deleteOldFile;
            if (row.operation == Operation::Attributes)
                return options_.syncAttributes;
            return true;
        case Command::BothWays:
            if (row.operation == Operation::Delete)
                return false;
            if (row.operation == Operation::Attributes)
                return options_.syncAttributes && !attributesGoTheOtherWay(side, row.FileName);
            return true;
        }
        return false;
    }

    // Two-way: a pair's attributes go one way only, the newer copy's, at
    // equal times directory one's; its other "属性" row is passed over.
    void noteBothWaysPairs()
    {
        // Paired as the compare paired them (without regard to case on a
        // volume that ignores it).
        for (const SyncOperation& row : session_.list(SyncSide::One))
            namesInList1_.insert(session_.matchKey(row.FileName));
        for (const SyncOperation& row : session_.list(SyncSide::Two))
            if (row.operation == Operation::Update)
                updatesInList2_.insert(session_.matchKey(row.FileName));
    }

    bool attributesGoTheOtherWay(SyncSide side, const std::string& name) const
    {
        const std::string key = session_.matchKey(name);
        return side == SyncSide::One ? updatesInList2_.count(key) != 0 : namesInList1_.count(key) != 0;
    }

    void runRows(const std::vector<PlannedRow>& rows, SyncReport& report)
    {
        FractionReset reset(progress_);
        CopyPipeline copies(fs_, kCopyThreads);
        core::Throttle throttle(session_.progressInterval());
        try {
            for (std::size_t k = 0; k < rows.size(); ++k) {
                if (throttle.due() || k + 1 == rows.size()) {
                    progress_.setStatus(rowProgressText(k + 1, rows.size()));
                    progress_.setFraction(k + 1, rows.size());
                    progress_.processEvents();
                }
                // Asked to stop (Esc, closing the window, an interrupt), also
                // in the events just processed: the row before has ended, and
                // no later row begins. Copies handed over finish below; none
                // is left half-written.
                if (progress_.stopRequested()) {
                    report.stopped = true;
                    report.notRun = rows.size() - k;
                    break;
                }
                const PlannedRow& row = rows[k];
                const Operation word = session_.list(row.side)[row.index].operation;
                // Copies may still be under way; anything else waits for them, so
                // every row sees the disk as the rows before it left it.
                if (!isCopy(word) || directoryStepDue())
                    copies.drain();
                directoryStep(row.side, k);
                if (auto reason = ExecuteRow(word, row.index, row.side, copies, k))
                    failed_.push_back({k, rowFailure(row, std::move(*reason))});
                ++report.rowsRun;
            }
        } catch (const core::Error& e) {
            // The command stops here; what failed before, the copies still
            // under way included, is reported with the error, and the row
            // that stopped it counts among those not run. The status bar no
            // longer says that rows run.
            collectFailures(rows, copies, report);
            progress_.setStatus("同步已中止。");
            throw CommandStopped(e.what(), std::move(report.failures), rows.size() - report.rowsRun);
        }
        collectFailures(rows, copies, report);
    }

    RowFailure rowFailure(const PlannedRow& row, std::string reason) const
    {
        const SyncOperation& op = session_.list(row.side)[row.index];
        return RowFailure{row.side, op.operation, op.FileName, std::move(reason)};
    }

    // Waits for the copies, then puts every failure into the report in the
    // order of the rows: a directory before the row it was made for.
    void collectFailures(const std::vector<PlannedRow>& rows, CopyPipeline& copies, SyncReport& report)
    {
        copies.drain();
        for (CopyPipeline::Failure& f : copies.takeFailures())
            failed_.push_back({f.row, rowFailure(rows[f.row], std::move(f.result.error))});
        std::stable_sort(failed_.begin(), failed_.end(),
                         [](const NumberedFailure& a, const NumberedFailure& b) { return a.row < b.row; });
        std::unordered_set<std::size_t> failedRows;
        for (NumberedFailure& f : failed_) {
            failedRows.insert(f.row);
            report.failures.push_back(std::move(f.failure));
        }
        failed_.clear();
        // A copy that failed wrote no time at all.
        for (NumberedNote& n : noted_)
            if (!failedRows.count(n.row))
                report.notes.push_back(std::move(n.note));
        noted_.clear();
    }

    // A copy onto FAT, exFAT or SFTP of a file whose time lies outside the
    // years they hold: the copy is given the nearest time they hold, and the
    // report says so (row number k).
    void noteClampedTime(SyncSide side, const std::string& name, std::size_t k)
    {
        const platform::VolumeTraits& target = session_.volumeTraits(otherSide(side));
        if (!keepsSomeYears(target))
            return;
        const FileTable& source = session_.table(side);
        const auto position = source.firstPosition(name);
        if (!position)
            return;
        const std::int64_t time = source.modifiedSeconds(*position);
        const std::int64_t stored = storedTime(time, target, session_.zoneOffset());
        if (stored != time)
            noted_.push_back({k, RowNote{side, name, time, stored}});
    }

    // The word an attribute row applies: its permission bits only where both
    // volumes keep them (a volume without them shows every file as 0777).
    std::uint32_t appliedAttributes(std::uint32_t word, const std::string& name) const
    {
        if (session_.comparedAttributes(name) & platform::kPermissionMask)
            return word;
        return word & ~platform::kPermissionMask;
    }

    static bool isCopy(Operation word) { return word == Operation::Update || word == Operation::New; }

    bool directoryStepDue() const
    {
        return command_ != Command::CheckedRows && !(passComplete_[0] && passComplete_[1]);
    }

    // The directory pass before row k of a whole-list command. Its first
    // error ends it and the row runs all the same; the directory goes into the
    // failure report, once however often the pass meets it. Once a pass has
    // been completed it would find nothing left to do, so it is run again
    // only while the last one ended in an error.
    void directoryStep(SyncSide side, std::size_t k)
    {
        if (command_ == Command::CheckedRows || passComplete_[sideIndex(side)])
            return;
        try {
            if (command_ == Command::BothWays)
                folders_.CreateMissingFolders(side);
            else
                MirrorFolders(side);
            passComplete_[sideIndex(side)] = true;
        } catch (const FolderError& e) {
            noteFolderFailure(side, k, e.path(), e.reason());
        } catch (const core::Error& e) {
            noteFolderFailure(side, k, std::string(), e.what());
        }
        // Passed over, not ending the pass: each is reported once all the same.
        for (const FolderPass::RefusedFolder& refused : folders_.refusedFolders())
            if (refused.targetSide == otherSide(side))
                noteFolderFailure(side, k, refused.error.path(), refused.error.reason());
    }

    void noteFolderFailure(SyncSide side, std::size_t k, const std::string& path, const std::string& reason)
    {
        if (!failedFolders_.insert(path.empty() ? reason : path).second)
            return;
        RowFailure failure{side, Operation::Update, path, reason};
        failure.kind = FailureKind::Folder;
        failed_.push_back({k, std::move(failure)});
    }

    // The one-way pass. The target's extra directories go only when the
    // target's old files go too.
    void MirrorFolders(SyncSide side)
    {
        if (side == SyncSide::One) {
            folders_.CreateMissingFolders(SyncSide::One);
            if (options_.deleteOldFile)
                folders_.RemoveExtraFolders(SyncSide::One);
        } else {
            if (options_.deleteOldFile)
                folders_.RemoveExtraFolders(SyncSide::Two);
            folders_.CreateMissingFolders(SyncSide::Two);
        }
    }

    // Runs one row; an update's copy is handed to the pipeline, whose
    // failures come back under the row number k. Returns the reason when the row failed here.
    std::optional<std::string> ExecuteRow(Operation word, std::size_t index, SyncSide side, CopyPipeline& copies,
                                          std::size_t k)
    {
        const std::string& name = session_.list(side)[index].FileName;
        const SyncSide target = otherSide(side);
        // Every change is resolved beneath the target's root, onto the name
        // the target holds the pair under.
        const std::string targetName =
            word == Operation::Update || word == Operation::Attributes ? session_.pairedName(target, name) : name;
        const platform::TreePath place{session_.root(target), platform::RelativePath::fromText(targetName)};
        const platform::TreePath from{session_.root(side), platform::RelativePath::fromText(name)};
        rowNames_.resize(std::max(rowNames_.size(), k + 1));
        rowNames_[k] = {target, name};
        auto& claimed = claimed_[sideIndex(target)];

        platform::FsResult result;
        switch (word) {
        case Operation::Update:
            // Replacing a file waits for the disk: such copies overlap.
            if (auto refused = makeTargetDirectories(place.relative, side))
                return refused;
            if (auto clash = claim(target, place, name, copies))
                return clash;
            clearStaleTemporaries(target, place.relative);
            copies.submit(k, from, place, listedState(target, targetName));
            noteClampedTime(side, name, k);
            break;
        case Operation::New:
            // A new file does not wait so; threads would only contend here.
            if (auto refused = makeTargetDirectories(place.relative, side))
                return refused;
            clearStaleTemporaries(target, place.relative);
            // Where the compare found no file, none may be replaced: not one
            // that appeared since, nor one the volume takes for this name.
            result = fs_.copyFile(from, place, {platform::TargetExpectation::Kind::Nothing});
            if (result.ok())
                claimed.emplace(result.written, name);
            else if (result.refusal == platform::FsResult::Refusal::TargetExists)
                // The file there is this row's as far as the volume goes: no
                // later row of this command deletes or changes it.
                return sameFileReason(target, name, result, copies);
            noteClampedTime(side, name, k);
            break;
        case Operation::Delete: {
            // The copies are drained before a delete: all they wrote is known.
            collectWritten(copies);
            const platform::EntryState state = fs_.entryState(place);
            if (state.kind == platform::EntryKind::Missing)
                return std::nullopt; // gone already (with an extra directory the pass removed)
            if (const auto mine = claimed.find(state.id); mine != claimed.end())
                return "这个文件与本次同步的“" + mine->second + "”是同一个文件（名称只有大小写不同），没有删除";
            if (state.regularFile && changedSinceListed(target, targetName, state))
                return std::string("目标文件在比较之后被改动过，没有删除");
            result = fs_.deleteFile(place);
            // Gone already (with an extra directory the pass removed): done.
            if (!result.ok() && fs_.entryKind(place) == platform::EntryKind::Missing)
                result = {};
            break;
        }
        case Operation::Attributes:
            if (auto clash = claim(target, place, name, copies))
                return clash;
            // The word captured when the source was listed.
            if (const auto position = session_.table(side).firstPosition(name))
                result = fs_.setAttributes(place, appliedAttributes(session_.table(side).attributes(*position), name));
            else
                result = platform::FsResult("源目录的文件列表中没有这个文件");
            break;
        }
        if (result.ok())
            return std::nullopt;
        return std::move(result.error);
    }

    // Where two names may be one file on disk, the file a row is about to
    // change must not be one this command wrote or matched under another
    // name: the first row of such names is carried out, every further one
    // fails naming the first. Byte-for-byte matching needs no look.
    std::optional<std::string> claim(SyncSide target, const platform::TreePath& place, const std::string& name,
                                     CopyPipeline& copies)
    {
        if (!session_.mayJoinNames())
            return std::nullopt;
        collectWritten(copies);
        const platform::EntryState state = fs_.entryState(place);
        if (state.kind == platform::EntryKind::Missing)
            return std::nullopt;
        const auto [held, fresh] = claimed_[sideIndex(target)].emplace(state.id, name);
        if (fresh || held->second == name)
            return std::nullopt;
        return "与“" + held->second + "”在" + sideName(target) +
               "中是同一个文件（所在的卷不区分名称的大小写），没有执行";
    }

    // The reason a new file could not be put where the compare saw none.
    std::string sameFileReason(SyncSide target, const std::string& name, const platform::FsResult& refused,
                               CopyPipeline& copies)
    {
        collectWritten(copies);
        auto& claimed = claimed_[sideIndex(target)];
        const auto [mine, fresh] = claimed.emplace(refused.found, name);
        if (!fresh && mine->second != name)
            return sameFileText(target, mine->second);
        if (!session_.mayJoinNames())
            return refused.error;
        // A FUSE driver may number one file anew under each spelling: the
        // names, folded as the compare folds them, tell then.
        const std::string key = session_.matchKey(name);
        for (const auto& [file, holder] : claimed)
            if (holder != name && session_.matchKey(holder) == key)
                return sameFileText(target, holder);
        if (const auto listed = session_.table(target).firstFoldedPosition(key))
            return sameFileText(target, std::string(session_.table(target).name(*listed)));
        return refused.error;
    }

    static std::string sameFileText(SyncSide target, const std::string& other)
    {
        return "与“" + other + "”在" + sideName(target) + "中是同一个文件（所在的卷不区分名称的大小写），没有复制";
    }

    // What the compare listed at a target name, for the copy to check just
    // before it replaces the file.
    platform::TargetExpectation listedState(SyncSide side, const std::string& name) const
    {
        platform::TargetExpectation expected{platform::TargetExpectation::Kind::Nothing};
        if (const auto position = session_.table(side).firstPosition(name)) {
            expected.kind = platform::TargetExpectation::Kind::Listed;
            expected.size = session_.table(side).size(*position);
            expected.modifiedSeconds = session_.table(side).modifiedSeconds(*position) - session_.zoneOffset();
        }
        return expected;
    }

    bool changedSinceListed(SyncSide side, const std::string& name, const platform::EntryState& state) const
    {
        const platform::TargetExpectation listed = listedState(side, name);
        return listed.kind != platform::TargetExpectation::Kind::Listed || listed.size != state.size ||
               listed.modifiedSeconds != state.modifiedSeconds;
    }

    // The files the finished copies wrote, each under its row's name.
    void collectWritten(CopyPipeline& copies)
    {
        for (const CopyPipeline::Written& w : copies.takeWritten())
            claimed_[sideIndex(rowNames_[w.row].first)].insert_or_assign(w.file, rowNames_[w.row].second);
    }

    // The directories a copy needs. One that would lie outside the root (its
    // path leads out through a link), or whose name the volume cannot hold
    // (the reason names that directory), fails this row alone: nothing is
    // made there, and the command goes on. Any other failure stops the command.
    std::optional<std::string> makeTargetDirectories(const platform::RelativePath& file, SyncSide side)
    {
        try {
            folders_.MakePathDirs(file, side);
        } catch (const FolderError& e) {
            if (e.nameRefused())
                return std::string(e.what());
            if (e.refusal() != platform::FsResult::Refusal::OutsideRoot)
                throw;
            return e.reason();
        }
        return std::nullopt;
    }

    // Before the first copy of this run into a directory, the temporary files
    // a killed run left there go. No copy of this run into it is under way
    // yet, so none of its own temporaries can be among them; another run's
    // are newer than this command and stay.
    void clearStaleTemporaries(SyncSide target, const platform::RelativePath& file)
    {
        platform::RelativePath directory = file.parent();
        if (!staleCleared_[sideIndex(target)].insert(directory).second)
            return;
        fs_.removeStaleTemporaries(platform::TreePath{session_.root(target), std::move(directory)}, started_);
    }

    // "完成" means on disk: what the rows wrote is flushed before the report.
    void flushWrites(SyncReport& report)
    {
        const platform::FsResult flushed = fs_.flushWrites();
        if (!flushed.ok())
            report.failures.push_back(RowFailure{command_ == Command::TwoToOne ? SyncSide::Two : SyncSide::One,
                                                 Operation::Update, "", "无法写入磁盘：" + flushed.error,
                                                 FailureKind::Flush});
    }

    // A new compare of the roots the rows were made for.
    void refresh()
    {
        session_.CompareDirectories(session_.root(SyncSide::One).text(), session_.root(SyncSide::Two).text(), options_,
                                    progress_);
    }

    SyncSession& session_;
    platform::FileSystem& fs_;
    core::Progress& progress_;
    const Command command_;
    const SyncSide checkedSide_;
    const SyncOptions options_;
    const bool refreshAfterwards_;
    FolderPass folders_;
    bool passComplete_[2] = {false, false};
    // The files this run has written or matched, each with the name of the
    // row that did: no other row writes to, sets or deletes one of them (on
    // a volume that matches names without regard to case, two names may be
    // one file).
    std::map<platform::FileId, std::string> claimed_[2]; // by target side
    // The source name of each row run so far, by its number.
    std::vector<std::pair<SyncSide, std::string>> rowNames_; // target side and source name
    // When the command started: older temporary files are stale.
    const platform::FileTime started_ = platform::changeClockNow();
    // Per target side, the directories cleared of stale temporary files.
    std::unordered_set<platform::RelativePath> staleCleared_[2];
    std::unordered_set<std::string> namesInList1_, updatesInList2_;
    // Failures so far, each under the number of the row it came with.
    struct NumberedFailure {
        std::size_t row;
        RowFailure failure;
    };
    std::vector<NumberedFailure> failed_;
    struct NumberedNote {
        std::size_t row;
        RowNote note;
    };
    std::vector<NumberedNote> noted_;
    std::set<std::string> failedFolders_;
};

} // namespace

SyncExecutor::SyncExecutor(SyncSession& session, core::Progress& progress) : session_(session), progress_(progress)
{}

SyncReport SyncExecutor::SyncOneToTwo(const SyncOptions& options)
{
    return CommandRun(session_, progress_, Command::OneToTwo, SyncSide::One, options, refresh_).run();
}

SyncReport SyncExecutor::SyncTwoToOne(const SyncOptions& options)
{
    return CommandRun(session_, progress_, Command::TwoToOne, SyncSide::Two, options, refresh_).run();
}

SyncReport SyncExecutor::SyncBothWays(const SyncOptions& options)
{
    return CommandRun(session_, progress_, Command::BothWays, SyncSide::One, options, refresh_).run();
}

std::vector<PlannedRow> SyncExecutor::planWholeList(SyncCommand command, const SyncOptions& options)
{
    const SyncSide from = sourceSide(command).value_or(SyncSide::One);
    return CommandRun(session_, progress_, command, from, options, refresh_).plan();
}

std::optional<SyncSide> sourceSide(SyncCommand command)
{
    switch (command) {
    case SyncCommand::OneToTwo:
        return SyncSide::One;
    case SyncCommand::TwoToOne:
        return SyncSide::Two;
    case SyncCommand::BothWays:
    case SyncCommand::CheckedRows:
        break;
    }
    return std::nullopt;
}

std::uint64_t copiedBytes(const SyncSession& session, const PlannedRow& row)
{
    const SyncOperation& op = session.list(row.side)[row.index];
    if (op.operation != Operation::New && op.operation != Operation::Update)
        return 0;
    const FileTable& source = session.table(row.side);
    const auto position = source.firstPosition(op.FileName);
    return position ? source.size(*position) : 0;
}

SyncReport SyncExecutor::RunCheckedRows(SyncSide side, const SyncOptions& options)
{
    return CommandRun(session_, progress_, Command::CheckedRows, side, options, refresh_).run();
}

} // namespace tessarin::sync
