// The file operations of a conversion run on the output folder. None of them follows a
// symbolic link (or reparse point) at the names it is given, none blocks on a special
// file, and none leaves a partly written file under a name that others read: what is
// written goes to a temporary file beside its target and is renamed over it when whole.
// One implementation per platform: SafeFile_posix.cpp, SafeFile_win.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What a name in the folder holds, without following it: `other` is a link, a folder, a
// pipe, a device, anything but a plain file.
enum class EEntryKind { missing, regular, other };
EEntryKind EntryKind(const std::string& strPath);

// Whether `strPath` is an existing folder (links followed: the user chose it).
bool FolderExists(const std::string& strPath);

// Holds the output folder for one run's file work, so that runs into the same folder
// queue instead of interleaving their backups. Nothing is held until TryLock succeeds;
// nothing ever blocks. When the folder cannot be locked (it is missing, say) TryLock
// succeeds at once and the run goes on unlocked: its own file operations report what is
// wrong.
class CFolderLock {
public:
    explicit CFolderLock(const std::string& strFolder) : m_strFolder(strFolder) {}
    ~CFolderLock() { Unlock(); }
    CFolderLock(const CFolderLock&) = delete;
    CFolderLock& operator=(const CFolderLock&) = delete;

    // True when the folder is now held by this run (or cannot be locked at all); false
    // while another run holds it.
    bool TryLock();
    // Lets other runs in; nothing when not held.
    void Unlock();

private:
    std::string m_strFolder;
    intptr_t m_handle = -1;
};

// A new file for `strTarget`: written under a fresh temporary name in the same folder and
// renamed over the target by Commit, so that the target name holds the old complete file
// or the new complete one at every instant. Abandoned (closed and removed) when destroyed
// uncommitted.
class CReplacement {
public:
    CReplacement() = default;
    ~CReplacement();
    CReplacement(const CReplacement&) = delete;
    CReplacement& operator=(const CReplacement&) = delete;

    // Creates the temporary file; false with the platform's error code in `nError`.
    bool Create(const std::string& strTarget, int& nError);
    // Writes all of the bytes; false on any failure.
    bool Write(const char* pData, size_t nSize);
    // Flushes the file to disk, closes it and renames it over the target, whatever plain
    // file is there, read-only or not. False on any failure, the temporary file removed.
    bool Commit();
    bool IsOpen() const;

private:
    void Abandon();

    intptr_t m_handle = -1;
    std::string m_strTarget, m_strTemp;
};

// Copies the plain file `strFrom` to `strTo` (replacing a plain file there) through a
// temporary file. False, leaving nothing new behind, when either name is not a plain file
// or anything fails.
bool CopyReplacing(const std::string& strFrom, const std::string& strTo);

// Renames the plain file `strFrom` to `strTo`, where nothing may exist; nothing is copied,
// so it needs no free space. False when it could not.
bool MoveToFreeName(const std::string& strFrom, const std::string& strTo);
