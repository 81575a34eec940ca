#pragma once

#include "config/DateTime.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// One element of an agent's tree: the global defaults (kindRoot), an agent, a folder, an
// address, a linked page, an image, or the tree-only group of a page's images. It carries its
// identity, its place on disk, the result of its last download, its refresh policy and its
// reading state, and it reads settings it does not set from its parent (caching the answer).
//
// Ownership: an element belongs to its tree node (images to their page's TExt); the store
// context (ElementStore) owns the root element and the tree. Everything runs on the UI
// thread. The download fields below are plain data written by the download engine, the
// options dialogs and the file reader; the operations keep the files on disk in step.
namespace glanix {

class ElementStore;
class IniFile;
class TreeNode;

enum Kind : quint8 {
    kindRoot = 0,
    kindAgent = 1,
    kindFolder = 2,
    kindAddress = 3,
    kindPage = 4,
    kindImage = 5,
    kindImageGroup = 6,
};

// Reading states.
enum : quint8 { stateNeutral = 0, stateUnread = 1, stateRead = 2, stateError = 3 };

// Tree state marks.
enum : int { markNone = -1, markUnread = 0, markError = 1, markInactive = 2 };

// Byte fields not set on the element (inherit from the parent).
inline constexpr quint8 kInherit = 255;
inline constexpr double kFrequencyInherit = -10;

class TElement;

// The options and children of an element that has them (agents, folders, addresses, pages
// and the root).
struct TExt {
    TExt() = default;
    ~TExt();
    TExt(const TExt&) = delete;
    TExt& operator=(const TExt&) = delete;

    std::vector<TElement*> ImgList; // owned images, in the order found or read
    qint32 DownLoadLinksDepth = -1;
    QString DownLoadLinksStart;
    QString IncludeMask;
    QString ExcludeMask;
    qint32 Position = 0;
    qint32 LoadedDepth = -1;
    // Page analysis: "absolute-address local-name" lines; meaningful while Analysed is set.
    QStringList ImageLinks;
    QStringList PageLinks;
    QStringList FrameLinks;
    bool DownLoadImages = true;
    bool DownLoadImagesDefined = false;
    bool LinksStartDefined = false;
    bool MasksDefined = false;
    bool Analysed = false;
    // What the stored copy needs to be shown was looked for: 1, scripts included 2. Versions
    // that did not look leave 0.
    quint8 RequisitesSought = 0;
};

class TElement {
public:
    // Create: fields at their creation values, kind address, no TExt.
    explicit TElement(ElementStore& store);
    ~TElement();
    TElement(const TElement&) = delete;
    TElement& operator=(const TElement&) = delete;

    ElementStore& store() const { return *m_store; }

    // --- Fields (names and meaning as stored in the element files) ---
    quint8 Kind = kindAddress;
    qint32 ImageIndex = -1;
    TDateTime LastModified = 0;
    qint32 Size = 0;
    TDateTime BeforeLastModified = 0;
    qint32 BeforeSize = 0;
    QString Etag;
    quint8 Versions = kInherit;
    quint8 DownLoadType = kInherit;
    double Frequency = kFrequencyInherit;
    bool Active = true;
    bool ActiveDefined = false;
    quint8 State = stateNeutral;
    qint32 StatusNumber = 0;
    QStringList Messages;
    QString ContentType;
    TDateTime LastVerified = 0;
    TDateTime DateDownloaded = 0;
    bool Complete = true;
    QString Location;

    // --- Structure ---
    bool HasExt() const { return m_ext != nullptr; }

    TExt* Ext() const { return m_ext.get(); }

    void SetHasExt(bool has);

    TElement* Parent() const { return m_parent; }

    void SetParent(TElement* parent);

    TreeNode* Node() const { return m_node; }

    // The nearest agent above (the root and an agent answer themselves).
    TElement* GetAgent();

    bool isImage() const { return Kind == kindImage; }

    // An image or a page's group of images: tree-only, never visited, never a target of walks.
    bool isImageOrGroup() const { return Kind == kindImage || Kind == kindImageGroup; }

    bool isAddressOrPage() const { return Kind == kindAddress || Kind == kindPage; }

    // --- Identity ---
    const QString& GetName() const { return m_name; }

    // Renames the element and its files (stored copy, old versions, child folder, settings file).
    void SetName(const QString& name);

    const QString& GetURL() const { return m_url; }

    void SetURL(const QString& url);

    // --- Places on disk (folder paths end with "/") ---
    const QString& DLDir() const { return m_dlDir; }

    const QString& FavsDir() const { return m_favsDir; }

    // Agent: its download folder. Other kinds: the stored file's name (renaming the copy).
    void SetFileName(const QString& name);
    // Agent only: its shortcut folder.
    void SetDirChilds(const QString& folder);
    QString GetSaveFileName();
    QString GetDirChilds();

    // The fields as they stand, not computed.
    const QString& saveFileNameField() const { return m_saveFileName; }

    const QString& dirChildsField() const { return m_dirChilds; }

    QString GetSavePath();
    QString GetChildsPath();
    QString GetIniFileName();
    // Recomputes DLDir/FavsDir of this element and its descendants from their parents.
    void RecomputeDirs();
    // Names from the agent down, separated by backslashes ("Images" before an image's name).
    QString TreePath() const;

    // --- Refresh policy and options (inheritance reads cache their answer) ---
    quint8 GetVersions();
    void SetVersions(quint8 versions);
    quint8 GetDownLoadType();

    void SetDownLoadType(quint8 type) { DownLoadType = type; }

    double GetFrequency();

    void SetFrequency(double frequency) { Frequency = frequency; }

    bool GetActive();
    void SetActive(bool active);
    // True only when this element and every ancestor are active (fields, no inheritance).
    bool IsActive() const;
    bool GetDownLoadImages();
    bool GetDownLoadImagesDefined() const;
    void SetDownLoadImages(bool on);
    qint32 GetDownLoadLinksDepth();
    void SetDownLoadLinksDepth(qint32 depth);
    QString GetDownLoadLinksStart();
    void SetDownLoadLinksStart(const QString& start);
    bool GetLinksStartDefined();
    QString GetIncludeMask();
    void SetIncludeMask(const QString& mask);
    QString GetExcludeMask();
    void SetExcludeMask(const QString& mask);
    qint32 GetPosition() const;
    void SetPosition(qint32 position);
    qint32 GetLoadedDepth() const;

    // --- State ---
    // Reading state and the node's mark.
    void SetState(quint8 state);
    // The mark the node shows for the current state and activity.
    int stateMarkFor() const;
    // Sets LastModified and raises it on the enclosing folders and agent (saving them).
    void SetLastModified(TDateTime date);

    // --- Messages of the last exchange with the server ---
    QStringList& GetMessages();

    void ClearMessages() { Messages.clear(); }

    QString GetServerInfo();

    // --- Presentation ---
    QString StatusText() const;
    int GetImageIndex();
    bool IsHtml() const;
    bool IsText() const;
    bool IsImage() const;
    bool HasVisibleChildren() const;

    // --- Lookups ---
    TreeNode* FindElementByURL(const QString& url) const;
    TElement* FindImageByURL(const QString& url) const;
    TElement* FindLocal(const QString& url);
    // Takes the image out of ImgList; the caller gets it.
    std::unique_ptr<TElement> RemoveFromImgList(TElement* image);
    // Adds an image (kind image, parent this) at the end of ImgList.
    void addImage(std::unique_ptr<TElement> image);
    TElement* findImageByName(const QString& name) const;

    // --- Images in the tree ---
    void BuildImageNodes();
    void RemoveImageGroup();
    TreeNode* imageGroupNode() const;

    // Copies name, address and every setting with its "defined" flags (options dialogs'
    // working copy). No file is touched.
    void CopyFrom(const TElement& other);

    // Frees the page-analysis lists.
    void FreeAnalysis();

    // --- Files ---
    void Load();
    // Writes the element into its settings file; false when nothing could be written.
    bool Save();
    // Creates the folder unless, links resolved, it leads out of the agent's folders (logged).
    bool MakeFolder(const QString& folder);
    // Reads one image section; the page has no image of that name yet.
    void LoadImage(const QString& imageName, IniFile& ini);
    void SaveImage(IniFile& ini);
    void SaveImages();
    void LoadChildren(int levels);
    QStringList ReadNotes();
    bool WriteNotes(const QStringList& notes);
    // Moves the element (and its files) under the element of `target`.
    bool MoveTo(TreeNode* target);
    // Removes the element and its subtree, with or without their files, and frees it:
    // `this` is gone afterwards. A linked page deleted by the user must not come back, so its
    // page stops following links, unless `keepLinkDepth` (the page is replaced, not refused).
    void Delete(bool withFiles, bool keepLinkDepth = false);
    // Erases everything the program stored about the element.
    void Reinit();

private:
    friend class ElementList;
    friend class ElementStore;
    friend class TreeNode;

    void deriveDirs();
    QString computeSaveFileName();
    bool childFolderNameTaken(const QString& name) const;
    TElement* inheritFrom() const;
    void renameTo(const QString& name);
    void moveFilesOfVersions(const QString& oldSavePath, const QString& newSavePath, int first);
    void deleteStoredFiles();
    bool refuseSave(const QString& path);
    // Writes the stored file's name into the element file that exists already.
    void recordSaveFileName();
    // True when `folder`, links resolved, lies in the agent's own folders.
    bool insideAgent(const QString& folder);
    void loadFields(IniFile& ini);
    void deleteRecursive(bool withFiles, bool parentGoing, bool keepLinkDepth = false);
    void updateStateMark();

    ElementStore* m_store;
    std::unique_ptr<TExt> m_ext;
    TElement* m_parent = nullptr;
    TreeNode* m_node = nullptr;
    QString m_name;
    QString m_url;
    QString m_dlDir;
    QString m_favsDir;
    QString m_saveFileName;
    QString m_dirChilds;
    // ElementsWithExt, kept in creation order.
    TElement* m_prevWithExt = nullptr;
    TElement* m_nextWithExt = nullptr;
    bool m_inExtList = false;
    quint64 m_extOrder = 0; // place in ElementsWithExt: later entries are larger
    void assignUrl(QString url);
    bool m_deleting = false;
    bool m_loading = false; // LoadChildren is running (a view may ask again meanwhile)
};

// Name unique among the children of `parent` (except `skip`), compared trimmed and lowered.
QString UniqueSiblingName(const QString& name, const TreeNode* skip, const TreeNode* parent);

// Image name unique among the page's images ("logo.gif" becomes "logo~.gif").
QString NoDuplicateImgName(const QString& name, const TElement& page);

} // namespace glanix
