#pragma once

#include "store/TreeNode.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

// The HTML export: copies the stored documents of an element and its descendants, down to a
// depth, into a folder, so that they can be browsed with any browser without Glanix. Links
// between exported pages and the images they show are rewritten to relative paths between
// the copies; what is not exported keeps working as an absolute address. The export dialog
// and glanix-cli run it; it knows nothing of widgets and reports through ExportProgress.
//
// Whatever the store holds, every file is written inside the destination (names made from
// addresses are mended, links are checked), two copies never share a name, not even one that
// differs only by case (FAT and exFAT sticks), and each file is written whole or not at all.
namespace glanix {

class ElementTree;
class Env;
class TElement;

// Section Export of Glanix.ini: the dialog's settings.
struct ExportSettings {
    bool SameServer = false;
    bool KeepStruct = false; // applies only with SameServer
    bool DontChange = false; // applies only with KeepStruct
    bool WithImg = true;
    bool OnlyHtmlText = false;
    bool MakeIndex = true;
    int Depth = 50; // 0 to 100
    QString SaveTo; // empty: "Glanix Export" in the home
    bool Consult = true;

    bool keepStruct() const { return SameServer && KeepStruct; }

    bool dontChange() const { return keepStruct() && DontChange; }
};

// Missing or unreadable keys give the defaults above.
ExportSettings loadExportSettings(const Env& env);
void saveExportSettings(const Env& env, const ExportSettings& settings);

// The destination to propose: the stored one without its "~", then "~" added for as long as
// something of that name exists.
QString proposedDestination(QString folder);

// What the export tells whoever runs it meanwhile.
class ExportProgress {
public:
    virtual ~ExportProgress() = default;
    // "Page 3 sur 40 - Accueil".
    virtual void caption(const QString& text) = 0;

    // The size to export is known (the label under the options).
    virtual void sizeKnown(const QString& /*text*/) { }

    // Pending events may run: Escape may set the cancel flag meanwhile.
    virtual void processEvents() { }
};

struct ExportResult {
    enum class Outcome { Done, NoSpace, Cancelled, DiskFull, NoFolder };
    Outcome outcome = Outcome::Done;
    int exported = 0; // documents written
    int count = 0; // documents to export
    qint64 bytes = 0; // their total size
    QString indexPath; // empty when no index was written
    QString openUrl; // what "Consulter après l'export" opens
    QString message; // French, for the user; empty when all went well
    QStringList failures; // one line per document that could not be written
};

class HtmlExport final : private TreeObserver {
public:
    using FreeSpaceProbe = std::function<qint64(const QString& path)>;

    HtmlExport(TElement& selected, const ExportSettings& settings, Env& env);
    ~HtmlExport() override;
    HtmlExport(const HtmlExport&) = delete;
    HtmlExport& operator=(const HtmlExport&) = delete;

    void setProgress(ExportProgress* progress) { m_progress = progress; }

    // The general option DoNotCheckDiskSpace.
    void setCheckDiskSpace(bool check) { m_checkSpace = check; }

    // Bytes free on the file system of a path; -1 unknown (tests give their own).
    void setFreeSpaceProbe(FreeSpaceProbe probe) { m_freeSpace = std::move(probe); }

    // Looked at between documents; may be set from any thread.
    void cancel() { m_cancel = true; }

    // Selection, space check, then every document and the index.
    ExportResult run();

    // The path under the destination of each document, in export order (after run).
    QStringList exportedPaths() const;

private:
    struct Item {
        TElement* element; // null once removed from the tree meanwhile
        QString url;
        QString name;
        QString source; // the stored file
        QString path; // under the destination, "/" separated
        qint64 bytes = 0;
        double lastModified = 0;
        int level = 0; // below the selected node
        bool html = false;
        bool indexed = false; // an address or a page: it gets an index line
        bool done = false;
    };

    void select();
    bool take(TElement* e, int level);
    QString plannedPath(TElement* e, const QString& url);
    QString uniquePath(const QString& path);
    bool spaceIsShort(ExportResult& result);
    bool exportItem(int index, ExportResult& result);
    QByteArray rewrite(int index, const QByteArray& content);
    std::optional<QString> linkTarget(int from, int kind, const QString& address);
    TElement* imageTarget(TElement* page, const QString& address) const;
    void writeIndex(ExportResult& result);
    QString destinationFile(const QString& path) const;

    void nodesAboutToBeRemoved(TreeNode* parent, int first, int last) override;

    TElement* m_selected; // null once removed from the tree
    TreeNode* m_selectedNode;
    ElementTree* m_tree;
    ExportSettings m_settings;
    Env& m_env;
    QString m_destination; // absolute, with a trailing "/"
    QString m_baseFolder; // the selected element's folder in the store
    QString m_server; // ServerPart of the selected element, lowered
    QString m_indexName;
    ExportProgress* m_progress = nullptr;
    FreeSpaceProbe m_freeSpace;
    bool m_checkSpace = true;
    std::atomic<bool> m_cancel {false};

    std::vector<Item> m_items;
    QHash<QString, int> m_byUrl; // lowered address
    QHash<const TElement*, int> m_byElement;
    QSet<QString> m_files; // lowered paths taken
    QHash<QString, QString> m_folders; // lowered folder path -> spelling first used
    QSet<QString> m_checkedFolders; // made, and found inside the destination
    QString m_index;
};

} // namespace glanix
