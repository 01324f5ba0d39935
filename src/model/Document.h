#pragma once
// The document framework the Picture Book documents build on: path, title and
// modified flag, opening a file into Serialize, saving without ever leaving a
// half-written file, and choosing a name to save under.

#include <cstdint>
#include <functional>
#include <string>

class CArchive;
class Prompter;

class CDocument {
public:
    // Larger files are refused unread. A real book is far smaller (a million
    // nodes take about 120 MB), and the whole file is held in memory.
    static constexpr uint64_t kMaxFileBytes = uint64_t(256) << 20;

    CDocument();
    virtual ~CDocument();
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    const std::string& GetPathName() const { return m_strPathName; }
    // Sets the path and the window title (the file's name); enters the path in
    // the recent-file list when the document was given one.
    void SetPathName(const std::string& path, bool addToRecentFiles = true);
    const std::string& GetTitle() const { return m_strTitle; }
    void SetTitle(const std::string& title) { m_strTitle = title; }
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

    virtual void Serialize(CArchive& ar) = 0;
    virtual void DeleteContents() {}

    virtual bool OnNewDocument();
    // Reads the whole file through Serialize; every failure is reported through
    // the Prompter with its message and leaves the document empty.
    virtual bool OnOpenDocument(const std::string& path);
    // Writes through Serialize to a temporary file beside `path`, renamed over it
    // only once all bytes are on disk.
    virtual bool OnSaveDocument(const std::string& path);
    virtual void OnCloseDocument() {}

    // Saves under `path`, or (when empty) under a name the user chooses; with
    // `replace` the document takes the new name.
    bool DoSave(const std::string& path, bool replace = true);

    // Whom the document tells of its failures and asks for a name to save
    // under: the one the program gave it, else the Prompter in force.
    void SetPrompter(Prompter* prompter) { m_pPrompter = prompter; }
    Prompter& GetPrompter() const;

    // Receives every path set with SetPathName(path, true).
    using RecentFileList = std::function<void(const std::string&)>;
    void SetRecentFileList(RecentFileList add) { m_addToRecentFileList = std::move(add); }

    // Reads `size` bytes of a file into the document; false after reporting the failure.
    bool LoadFromBytes(const void* data, size_t size);
    // Reads the document through a loading archive; false after reporting the failure.
    bool LoadFrom(CArchive& ar);

protected:
    // The name a save goes to, from the name given or proposed.
    virtual std::string AdjustSaveName(const std::string& name) const { return name; }

    std::string m_strPathName;
    std::string m_strTitle;
    bool m_bModified = false;
    RecentFileList m_addToRecentFileList;
    Prompter* m_pPrompter = nullptr; // not owned
};
