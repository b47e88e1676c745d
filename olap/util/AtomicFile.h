#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace olap {

//! Replaces a file the user keeps only by a complete, synced copy. The new
//! contents go to a temporary file "PATH.tmp-PID" in the same folder, which
//! is written (or filled by another writer through TempPath()), synced,
//! closed and renamed over PATH, and then the folder is synced. Every step
//! is checked; when one fails the temporary file is removed, PATH is left
//! byte-identical and Error() says which file, which step and why
//! (strerror). A symbolic link at PATH is followed: its target is replaced.
//! An existing PATH keeps its permission bits. Opening also removes the
//! temporary files of PATH that processes no longer running left behind.
//! Not for several threads of one process writing the same PATH at once.
class AtomicFile {
public:
    //! The steps a write goes through; the test seam can fail each of them.
    enum class Step { Create, Write, Sync, Close, Rename, SyncFolder };
    //! Called before each step with the step and the file it works on;
    //! returning an errno value makes the step fail with it, 0 lets it run.
    using FaultInjector = std::function<int(Step step, const std::string& file)>;

    explicit AtomicFile(std::string path);
    //! Removes the temporary file unless Commit() succeeded.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    //! Creates the temporary file. False (Error() set) when PATH exists but
    //! is not a regular file, or the temporary file cannot be created.
    bool Open();
    //! Appends bytes to the temporary file; false (Error() set, the
    //! temporary file removed) when not every byte was written.
    bool Write(std::string_view bytes);
    //! Syncs and closes the temporary file, renames it over PATH and syncs
    //! the folder. False (Error() set, the temporary file removed, PATH
    //! untouched) when any step fails or an earlier step already failed.
    bool Commit();
    //! Removes the temporary file; PATH stays as it was.
    void Discard();

    //! The file that will be replaced (after following a symbolic link).
    const std::string& TargetPath() const { return m_target; }
    //! The temporary file, for writers that fill it themselves (SQLite).
    const std::string& TempPath() const { return m_temp; }
    //! Why the last step failed; empty while every step succeeded.
    const std::string& Error() const { return m_error; }

    //! Removes "PATH.tmp-PID" files (and their SQLite journals) left by
    //! processes that no longer run; a PID that still runs keeps its file.
    //! Returns how many files were removed.
    static int RemoveStaleTempFiles(const std::string& path);
    //! Test seam: every AtomicFile of the process asks injector before each
    //! step. An empty function turns injection off.
    static void SetFaultInjector(FaultInjector injector);

private:
    bool Fail(Step step, const std::string& file, int error);
    int Injected(Step step, const std::string& file) const;

    std::string m_path;
    std::string m_target;
    std::string m_temp;
    std::string m_error;
    int m_fd = -1;
    bool m_failed = false;
    bool m_committed = false;
};

//! Writes text to path through an AtomicFile. Throws OlapError with the
//! reason when any step fails; path is then left as it was.
void WriteFileAtomically(const std::string& path, std::string_view text);

} // namespace olap
