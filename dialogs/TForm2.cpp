#include "dialogs/TForm2.h"

#include <QApplication>
#include <QComboBox>
#include <QFileIconProvider>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "widgets/DialogFrame.h"
#include "widgets/DirectoryHistory.h"
#include "widgets/TextConversion.h"
#include "widgets/WindowFont.h"

tessarin::dialogs::TForm2* Form2 = nullptr;

namespace tessarin::dialogs {

namespace {

constexpr int kPathRole = Qt::UserRole;          // QByteArray: the folder's full path
constexpr int kPopulatedRole = Qt::UserRole + 1; // bool: its subfolders have been read

// No name holds a "/", so this mask gathers no file: the tree shows folders only.
constexpr std::string_view kNoFileMask = "/";

// Shows the busy pointer for as long as it lives.
class BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

// Whether a folder or a folder below it is to be shown expanded.
bool holdsExpanded(const std::set<std::string>& expanded, const std::string& path)
{
    if (expanded.count(path))
        return true;
    const std::string prefix = platform::Path(path).asDirectory();
    const auto next = expanded.lower_bound(prefix);
    return next != expanded.end() && next->compare(0, prefix.size(), prefix) == 0;
}

void collectExpanded(const QTreeWidgetItem& item, std::set<std::string>& expanded)
{
    if (item.isExpanded())
        expanded.insert(TForm2::folderPath(item));
    for (int i = 0; i < item.childCount(); ++i)
        collectExpanded(*item.child(i), expanded);
}

} // namespace

TForm2::TForm2(platform::FileSystem& fileSystem, QWidget* parent)
    : QDialog(parent), fileSystem_(fileSystem), folderIcon_(QFileIconProvider().icon(QAbstractFileIconProvider::Folder))
{
    setWindowTitle(QStringLiteral("浏览目录"));
    widgets::makeFixedDialog(*this, 321, 323);

    ShellTreeView1 = new QTreeWidget(this);
    ShellTreeView1->setGeometry(12, 12, 297, 225);
    ShellTreeView1->setHeaderHidden(true);
    ShellTreeView1->setIndentation(19);
    ShellTreeView1->setRootIsDecorated(false); // no expander at the top level
    ShellTreeView1->setSelectionMode(QAbstractItemView::SingleSelection);

    Label1 = new QLabel(QStringLiteral("目录路径："), this);
    Label1->move(12, 252);
    Label1->adjustSize();

    Edit1 = new QLineEdit(this);
    Edit1->setGeometry(76, 248, 233, 20);

    Button1 = new QPushButton(QStringLiteral("确认"), this);
    Button1->setGeometry(48, 280, 89, 29);
    Button1->setDefault(true);

    Button2 = new QPushButton(QStringLiteral("取消"), this);
    Button2->setGeometry(180, 280, 89, 29);

    setTabOrder(ShellTreeView1, Edit1);
    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, Button2);

    connect(ShellTreeView1, &QTreeWidget::currentItemChanged, this, [this] { ShellTreeView1Change(); });
    connect(ShellTreeView1, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { populate(*item); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

    // The top of the file system, opened one level so the first opening shows something.
    QTreeWidgetItem* root = addFolder(nullptr, "/", QStringLiteral("/"));
    populate(*root);
    root->setExpanded(true);
}

void TForm2::setTargets(QComboBox* edDir1, QComboBox* edDir2)
{
    edDir1_ = edDir1;
    edDir2_ = edDir2;
}

void TForm2::browse(int target)
{
    BrowseTarget = target;
    ReloadTree();
    widgets::centreOnScreen(*this);
    exec(); // the result plays no part: OK has already filled the field
}

std::string TForm2::folderPath(const QTreeWidgetItem& item)
{
    const QByteArray bytes = item.data(0, kPathRole).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QTreeWidgetItem* TForm2::addFolder(QTreeWidgetItem* parent, const std::string& path, const QString& label)
{
    auto* item = new QTreeWidgetItem(QStringList{label});
    item->setIcon(0, folderIcon_);
    item->setData(0, kPathRole, QByteArray(path.data(), static_cast<qsizetype>(path.size())));
    // Whether it has subfolders is known once it is opened; until then it offers an expander.
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    if (parent)
        parent->addChild(item);
    else
        ShellTreeView1->addTopLevelItem(item);
    return item;
}

void TForm2::populate(QTreeWidgetItem& item)
{
    if (item.data(0, kPopulatedRole).toBool())
        return;
    item.setData(0, kPopulatedRole, true);
    const std::string path = folderPath(item);
    const platform::Path folder(path);
    // A folder that cannot be read shows no subfolders.
    const platform::DirectoryContents contents =
        fileSystem_.readDirectory(folder.asDirectory(), true, kNoFileMask).valueOr({});
    for (const platform::DirEntry& entry : contents.directories)
        addFolder(&item, (folder / entry.name).bytes(), widgets::displayName(entry.name));
    if (contents.directories.empty())
        item.setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void TForm2::restoreBranch(QTreeWidgetItem& item, const std::set<std::string>& expanded,
                           const std::set<std::string>& reached)
{
    const std::string path = folderPath(item);
    if (!holdsExpanded(reached, path))
        return; // left unread until the user opens it
    populate(item);
    for (int i = 0; i < item.childCount(); ++i)
        restoreBranch(*item.child(i), expanded, reached);
    item.setExpanded(expanded.count(path) > 0);
}

QTreeWidgetItem* TForm2::findFolder(const std::string& path) const
{
    QTreeWidgetItem* item = ShellTreeView1->topLevelItem(0);
    while (item && folderPath(*item) != path) {
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i) {
            // The child that is the path or holds it, by whole names.
            if (platform::Path(path).relativeTo(platform::Path(folderPath(*item->child(i)))))
                next = item->child(i);
        }
        item = next;
    }
    return item;
}

void TForm2::ReloadTree()
{
    BusyPointer busy;

    std::set<std::string> expanded;
    std::string selected;
    std::string top;
    if (QTreeWidgetItem* root = ShellTreeView1->topLevelItem(0))
        collectExpanded(*root, expanded);
    if (QTreeWidgetItem* current = ShellTreeView1->currentItem())
        selected = folderPath(*current);
    if (QTreeWidgetItem* first = ShellTreeView1->itemAt(0, 0))
        top = folderPath(*first);

    {
        // Rebuilding is no change of selection: Edit1 keeps its text.
        const QSignalBlocker quiet(ShellTreeView1);
        ShellTreeView1->clear();
        QTreeWidgetItem* root = addFolder(nullptr, "/", QStringLiteral("/"));
        // Read the branches that were open, and those that lead to the selected
        // folder even when a collapsed parent hides it.
        std::set<std::string> reached = expanded;
        for (const std::string& path : {selected, top})
            if (!path.empty())
                reached.insert(path);
        restoreBranch(*root, expanded, reached);
        if (QTreeWidgetItem* item = selected.empty() ? nullptr : findFolder(selected))
            ShellTreeView1->setCurrentItem(item);
    }
    topFolder_ = top;
    if (isVisible())
        restoreTopRow();
}

void TForm2::restoreTopRow()
{
    if (QTreeWidgetItem* item = topFolder_.empty() ? nullptr : findFolder(topFolder_))
        ShellTreeView1->scrollToItem(item, QAbstractItemView::PositionAtTop);
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A hidden view forgets where it was scrolled, so the top row is set once shown.
    restoreTopRow();
}

void TForm2::ShellTreeView1Change()
{
    const QTreeWidgetItem* current = ShellTreeView1->currentItem();
    Edit1->setText(current ? widgets::displayName(folderPath(*current)) : QString());
}

void TForm2::Button1Click()
{
    QComboBox* field = BrowseTarget == 1 ? edDir1_ : BrowseTarget == 2 ? edDir2_ : nullptr;
    if (field) {
        // The selected folder's own bytes while the field shows its path, so
        // a name that is not UTF-8 reaches the path field intact.
        const QTreeWidgetItem* current = ShellTreeView1->currentItem();
        const bool showsSelection = current && widgets::displayName(folderPath(*current)) == Edit1->text();
        widgets::enterIntoHistory(*field, showsSelection ? folderPath(*current) : widgets::pathBytes(Edit1->text()));
    }
    accept();
}

void TForm2::Button2Click()
{
    reject();
}

} // namespace tessarin::dialogs
