#include "views/FtpListView.h"

#include "engine/TMFtp.h"
#include "platform/TextCodec.h"
#include "views/RemoteListText.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeView>

#include <functional>
#include <set>

namespace views {
namespace {

QString Decode(QByteArrayView bytes, TMFtpNameCharset charset)
{
    return DecodeRemoteName(QByteArray::fromRawData(bytes.data(), bytes.size()), charset);
}

struct CaptionTexts
{
    const char *english;
    const char *simplified;
    const char *traditional;
};

constexpr CaptionTexts Captions[FtpColumnCount] = {
    {"Name", "名称", "名稱"},           {"Size", "大小", "大小"},
    {"Type", "类型", "類型"},           {"Modify Date", "修改时间", "修改時間"},
    {"Attributes", "属性", "屬性"},     {"Description", "描述", "描述"},
    {"Owner", "所有者", "所有者"},      {"Group", "组", "組"},
};

bool NarrowScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen && screen->size().width() <= 800;
}

std::array<TFtpColumnInfo, FtpColumnCount> &ColumnTable()
{
    static std::array<TFtpColumnInfo, FtpColumnCount> table = [] {
        std::array<TFtpColumnInfo, FtpColumnCount> t;
        const bool narrow = NarrowScreen();
        const int widths[FtpColumnCount] = {150, narrow ? 75 : 80, narrow ? 134 : 145, 125, 90, 128, 80, 80};
        for (int i = 0; i < FtpColumnCount; ++i) {
            t[size_t(i)].Caption = QString::fromUtf8(Captions[i].english);
            t[size_t(i)].Width = widths[i];
            t[size_t(i)].Alignment = i == ffSize ? Qt::AlignRight : Qt::AlignLeft;
        }
        return t;
    }();
    return table;
}

TFileInfoField SortField(TMFtpSortBase sortType)
{
    switch (sortType) {
    case stName: return fiFileName;
    case stSize: return fiFileSize;
    case stFileType: return fiTypeName;
    case stDateTime: return fiModifiedDate;
    case stAttrib: return fiAttributes;
    case stDescription: return fiDescription;
    case stOwner: return fiOwner;
    case stGroup: return fiGroup;
    case stNone: break;
    }
    return fiFileName;
}

// Which list field a report column shows (Size and Type are computed).
TFileInfoField ColumnField(int column)
{
    switch (column) {
    case ffModified: return fiModifiedDate;
    case ffAttributes: return fiAttributes;
    case ffDescription: return fiDescription;
    case ffOwner: return fiOwner;
    case ffGroup: return fiGroup;
    default: return fiFileName;
    }
}

// Keeps the name column filling the report view as the view is resized.
class ViewportResizeWatcher : public QObject
{
public:
    ViewportResizeWatcher(QObject *parent, std::function<void()> resized)
        : QObject(parent), resized_(std::move(resized))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            resized_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> resized_;
};

ui::ShellLanguage ShellLanguageOf(TLanguage language)
{
    switch (language) {
    case China: return ui::ShellLanguage::Simplified;
    case ChinaGB: return ui::ShellLanguage::Traditional;
    case English: break;
    }
    return ui::ShellLanguage::English;
}

} // namespace

// ---- TMFtpListModel ----

TMFtpListModel::TMFtpListModel(TMFtpListView *owner) : QAbstractTableModel(owner), owner_(owner) {}

void TMFtpListModel::SetLists(TMFtpFileInfoList &&folders, TMFtpFileInfoList &&files)
{
    beginResetModel();
    folders_ = std::move(folders);
    files_ = std::move(files);
    searchList_.clear();
    searchListValid_ = false;
    endResetModel();
}

void TMFtpListModel::Clear()
{
    SetLists(TMFtpFileInfoList(), TMFtpFileInfoList());
}

QByteArrayView TMFtpListModel::RemoteName(int row) const
{
    if (row < 0)
        return {};
    if (row < folders_.Count())
        return folders_.FileName(row);
    if (row - folders_.Count() < files_.Count())
        return files_.FileName(row - folders_.Count());
    return {};
}

void TMFtpListModel::SetShellLanguage(ui::ShellLanguage language)
{
    if (language == language_)
        return;
    language_ = language;
    types_.clear();
    if (rowCount() > 0)
        emit dataChanged(index(0, ffType), index(rowCount() - 1, ffType), {Qt::DisplayRole});
}

const TMFtpListModel::TypeInfo &TMFtpListModel::TypeOf(QByteArrayView fileName) const
{
    // The extension's bytes are enough to tell the type: decode only those.
    const qsizetype dot = fileName.lastIndexOf('.');
    const QByteArrayView extension = dot > 0 ? fileName.sliced(dot + 1) : QByteArrayView();
    const QString key = Decode(extension, nameCharset_).toLower();
    auto it = types_.constFind(key);
    if (it != types_.constEnd())
        return *it;
    TypeInfo info;
    info.Name = ui::ShellFileTypeName(key, language_);
    info.Icon = ui::ShellFileIcon(key);
    return *types_.insert(key, info);
}

QString TMFtpListModel::FileTypeName(QByteArrayView fileName) const
{
    return TypeOf(fileName).Name;
}

QString TMFtpListModel::CellText(int row, int column) const
{
    const bool folder = row < folders_.Count();
    const TMFtpFileInfoList &list = folder ? folders_ : files_;
    const int i = folder ? row : row - folders_.Count();
    switch (column) {
    case ffName: return Decode(list.FileName(i), nameCharset_);
    case ffSize: return folder ? QString() : FormatSizeKB(list.FileSize(i));
    case ffType: return folder ? FolderTypeName() : FileTypeName(list.FileName(i));
    default: return Decode(list.Field(ColumnField(column), i), nameCharset_);
    }
}

int TMFtpListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : folders_.Count() + files_.Count();
}

int TMFtpListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FtpColumnCount;
}

QVariant TMFtpListModel::data(const QModelIndex &index, int role) const
{
    const int row = index.row();
    if (!index.isValid() || row >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return CellText(row, index.column());
    case Qt::DecorationRole: {
        if (index.column() != ffName)
            return {};
        const bool folder = IsFolderRow(row);
        const TMFtpFileInfoList &list = folder ? folders_ : files_;
        const int i = folder ? row : row - folders_.Count();
        const bool link = !list.Field(fiLinkTo, i).isEmpty();
        if (folder) {
            if (!link)
                return ui::ShellFolderIcon();
            if (folderLinkIcon_.isNull())
                folderLinkIcon_ = ui::ShellLinkIcon(ui::ShellFolderIcon());
            return folderLinkIcon_;
        }
        const TypeInfo &type = TypeOf(list.FileName(i));
        if (!link)
            return type.Icon;
        if (type.LinkIcon.isNull())
            const_cast<TypeInfo &>(type).LinkIcon = ui::ShellLinkIcon(type.Icon);
        return type.LinkIcon;
    }
    case Qt::TextAlignmentRole:
        return QVariant(ColumnTable()[size_t(index.column())].Alignment | Qt::AlignVCenter);
    case RemoteNameRole:
        return RemoteName(row).toByteArray();
    case IsFolderRole:
        return IsFolderRow(row);
    default:
        return {};
    }
}

QVariant TMFtpListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= FtpColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole: return ColumnTable()[size_t(section)].Caption;
    case Qt::TextAlignmentRole: return QVariant(ColumnTable()[size_t(section)].Alignment | Qt::AlignVCenter);
    case Qt::InitialSortOrderRole: return Qt::AscendingOrder;
    default: return {};
    }
}

Qt::ItemFlags TMFtpListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren | Qt::ItemIsDragEnabled;
}

void TMFtpListModel::BuildSearchList() const
{
    if (searchListValid_)
        return;
    searchList_.clear();
    searchList_.reserve(rowCount());
    for (int row = 0; row < rowCount(); ++row)
        searchList_.append(Decode(RemoteName(row), nameCharset_).toUpper());
    searchListValid_ = true;
}

int TMFtpListModel::FindItem(const QString &text, int start, bool wrap) const
{
    const int count = rowCount();
    if (count == 0)
        return -1;
    BuildSearchList();
    const QString wanted = text.toUpper();
    if (start < 0 || start >= count)
        start = 0;
    int row = start;
    do {
        if (searchList_.at(row).startsWith(wanted))
            return row;
        if (++row >= count) {
            if (!wrap)
                return -1;
            row = 0;
        }
    } while (row != start);
    return -1;
}

QModelIndexList TMFtpListModel::match(const QModelIndex &start, int role, const QVariant &value, int hits,
                                      Qt::MatchFlags flags) const
{
    const Qt::MatchFlags kind = flags & Qt::MatchTypeMask;
    if (role != Qt::DisplayRole || hits != 1 || (kind != Qt::MatchStartsWith && kind != Qt::MatchFixedString))
        return QAbstractTableModel::match(start, role, value, hits, flags);
    const int row = FindItem(value.toString(), start.row(), flags.testFlag(Qt::MatchWrap));
    if (row < 0)
        return {};
    return {index(row, ffName)};
}

void TMFtpListModel::sort(int column, Qt::SortOrder order)
{
    if (column >= 0 && column < FtpColumnCount)
        owner_->SortBy(TMFtpSortBase(column), order == Qt::AscendingOrder);
}

// ---- TMFtpListView ----

TMFtpListView::TMFtpListView(QWidget *parent) : ui::FileListView(parent), model_(new TMFtpListModel(this))
{
    setObjectName(QStringLiteral("MFtpListView1"));
    setModel(model_);
    // Drags of selected rows are reported through OnBeginDrag.
    setDragAndDrop(true, false);
    iconView()->setLayoutMode(QListView::Batched);
    iconView()->setBatchSize(2000);
    QHeaderView *header = reportView()->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    // The name column fills what the other columns leave; a width the user
    // gives it is its least width from then on.
    connect(header, &QHeaderView::sectionResized, this, [this](int logical, int, int newSize) {
        if (fittingName_)
            return;
        if (logical == ffName && !reportView()->isColumnHidden(ffName) && newSize > 0)
            ColumnTable()[ffName].Width = newSize;
        FitNameColumn();
    });
    reportView()->viewport()->installEventFilter(new ViewportResizeWatcher(this, [this] { FitNameColumn(); }));
    // Column clicks sort through the model (sort() above) with the header's
    // own toggling: the same column flips the direction, another column
    // starts ascending.
    RebuildColumns();
    SyncSortIndicator();
    connect(reportView(), &QAbstractItemView::entered, this, [this](const QModelIndex &) {
        if (webStyle_)
            currentView()->viewport()->setCursor(Qt::PointingHandCursor);
    });
    connect(reportView(), &QAbstractItemView::viewportEntered, this,
            [this] { currentView()->viewport()->unsetCursor(); });
    connect(iconView(), &QAbstractItemView::entered, this, [this](const QModelIndex &) {
        if (webStyle_)
            currentView()->viewport()->setCursor(Qt::PointingHandCursor);
    });
    connect(iconView(), &QAbstractItemView::viewportEntered, this,
            [this] { currentView()->viewport()->unsetCursor(); });
}

TMFtpListView::~TMFtpListView()
{
    if (client_ && listingSlot_ > 0)
        client_->RemoveNotifyListener(notifyListingDone, listingSlot_);
}

const TFtpColumnInfo &TMFtpListView::ColumnInfo(TFtpFileInfo kind)
{
    return ColumnTable()[size_t(qBound(0, int(kind), FtpColumnCount - 1))];
}

void TMFtpListView::SetClient(TMFtp *client)
{
    if (client == client_)
        return;
    if (client_ && listingSlot_ > 0)
        client_->RemoveNotifyListener(notifyListingDone, listingSlot_);
    listingSlot_ = -1;
    client_ = client;
    if (!client) {
        useLoaded_ = false;
        Clear();
        return;
    }
    listingSlot_ = client->AddNotifyListener(notifyListingDone, [this](QObject *) { OnListingDone(); });
    if (client->FolderList().Count() + client->FileList().Count() > 0)
        OnListingDone();
}

void TMFtpListView::OnListingDone()
{
    useLoaded_ = false;
    emptied_ = false;
    loadedFolders_.Clear();
    loadedFiles_.Clear();
    RefreshList();
}

void TMFtpListView::LoadLists(const TMFtpFileInfoList &folders, const TMFtpFileInfoList &files)
{
    loadedFolders_.Assign(folders);
    loadedFiles_.Assign(files);
    useLoaded_ = true;
    emptied_ = false;
    RefreshList();
}

void TMFtpListView::Clear()
{
    useLoaded_ = false;
    loadedFolders_.Clear();
    loadedFiles_.Clear();
    emptied_ = true;
    model_->Clear();
}

void TMFtpListView::SetLanguage(TLanguage language)
{
    language_ = language;
    for (int i = 0; i < FtpColumnCount; ++i) {
        const CaptionTexts &c = Captions[i];
        ColumnTable()[size_t(i)].Caption =
            QString::fromUtf8(language == China ? c.simplified : language == ChinaGB ? c.traditional : c.english);
    }
    model_->SetShellLanguage(ShellLanguageOf(language));
    model_->HeaderChanged();
    RebuildColumns();
}

void TMFtpListView::SetViewColumns(TFtpFileInfos columns)
{
    if (columns == viewColumns_)
        return;
    viewColumns_ = columns;
    if (viewStyle() == ui::vsReport)
        RebuildColumns();
}

void TMFtpListView::RebuildColumns()
{
    QTreeView *report = reportView();
    QHeaderView *header = report->header();
    auto &table = ColumnTable();
    // Widths the user gave survive the rebuild (the name column's is kept
    // in the table as the user sets it; its section may be wider).
    if (columnsBuilt_) {
        for (int kind = ffName + 1; kind < FtpColumnCount; ++kind)
            if (!report->isColumnHidden(kind) && header->sectionSize(kind) > 0)
                table[size_t(kind)].Width = header->sectionSize(kind);
    } else {
        // The table's pixels suit a smaller font: sizes of many gigabytes must still fit.
        table[ffSize].Width = qMax(table[ffSize].Width,
                                   report->fontMetrics().horizontalAdvance(QStringLiteral("99,999,999 KB")) + 16);
    }
    columnsBuilt_ = true;
    const bool all = viewColumns_ & (1u << ffAll);
    for (int kind = 0; kind < FtpColumnCount; ++kind) {
        const bool shown = all || (viewColumns_ & (1u << kind));
        report->setColumnHidden(kind, !shown);
        if (shown)
            header->resizeSection(kind, table[size_t(kind)].Width);
    }
    FitNameColumn();
    RefreshList();
}

int TMFtpListView::NameColumnWidth() const
{
    return ColumnTable()[ffName].Width;
}

void TMFtpListView::FitNameColumn()
{
    QTreeView *report = reportView();
    if (fittingName_ || report->isColumnHidden(ffName))
        return;
    QHeaderView *header = report->header();
    int others = 0;
    for (int kind = ffName + 1; kind < FtpColumnCount; ++kind)
        if (!report->isColumnHidden(kind))
            others += header->sectionSize(kind);
    const int width = qMax(NameColumnWidth(), report->viewport()->width() - others);
    if (header->sectionSize(ffName) == width)
        return;
    fittingName_ = true;
    header->resizeSection(ffName, width);
    fittingName_ = false;
}

QSize TMFtpListView::minimumSizeHint() const
{
    const QSize base = ui::FileListView::minimumSizeHint();
    const QTreeView *report = reportView();
    const int icon = report->iconSize().isValid() ? report->iconSize().height() : 16;
    const int row = qMax(report->fontMetrics().height(), icon) + 6;
    const int height = report->header()->sizeHint().height() + MinimumVisibleRows * row + 2 * report->frameWidth()
                       + report->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, report);
    return QSize(base.width(), qMax(base.height(), height));
}

void TMFtpListView::SyncSortIndicator()
{
    QHeaderView *header = reportView()->header();
    const QSignalBlocker block(header);
    if (sortType_ == stNone)
        header->setSortIndicator(-1, Qt::AscendingOrder);
    else
        header->setSortIndicator(int(sortType_), ascending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
    header->viewport()->update();
}

void TMFtpListView::SortBy(TMFtpSortBase sortType, bool ascending)
{
    const bool changed = sortType != sortType_ || ascending != ascending_;
    sortType_ = sortType;
    ascending_ = ascending;
    SyncSortIndicator();
    RefreshList();
    if (changed)
        emit sortChanged(sortType_, ascending_);
}

void TMFtpListView::ColumnClick(int kind)
{
    if (kind < 0 || kind >= FtpColumnCount)
        return;
    if (kind == int(sortType_))
        SortBy(sortType_, !ascending_);
    else
        SortBy(TMFtpSortBase(kind), true);
}

void TMFtpListView::SetWebStyle(bool on)
{
    webStyle_ = on;
    reportView()->setMouseTracking(on);
    iconView()->setMouseTracking(on);
    if (!on)
        currentView()->viewport()->unsetCursor();
}

void TMFtpListView::SortLists(TMFtpFileInfoList &folders, TMFtpFileInfoList &files) const
{
    if (sortType_ == stNone)
        return;
    const TFileInfoField field = SortField(sortType_);
    if (field == fiTypeName) {
        // Every folder shows the same type name: folders go by name instead.
        folders.Sort(fiFileName, ascending_);
        files.Sort(field, ascending_, [this](QByteArrayView name) { return model_->FileTypeName(name); });
        return;
    }
    folders.Sort(field, ascending_);
    files.Sort(field, ascending_);
}

void TMFtpListView::RefreshList()
{
    if (refreshing_) {
        // Asked again while the filter lets events run: start over afterwards.
        refreshAgain_ = true;
        return;
    }
    refreshing_ = true;
    do {
        refreshAgain_ = false;
        const TMFtpNameCharset charset = client_ ? client_->NameCharset() : TMFtpNameCharset::Auto;
        const TMFtpFileInfoList *sourceFolders = nullptr;
        const TMFtpFileInfoList *sourceFiles = nullptr;
        if (useLoaded_) {
            sourceFolders = &loadedFolders_;
            sourceFiles = &loadedFiles_;
        } else if (client_ && !emptied_) {
            sourceFolders = &client_->FolderList();
            sourceFiles = &client_->FileList();
        } else {
            break;
        }
        TMFtpFileInfoList folders;
        folders.Assign(*sourceFolders);
        TMFtpFileInfoList files;
        if (filter_.isEmpty()) {
            files.Assign(*sourceFiles);
        } else {
            // Pattern by pattern, each file once (names compared ignoring case).
            std::set<QString> taken;
            std::vector<QString> names;
            names.reserve(size_t(sourceFiles->Count()));
            for (int i = 0; i < sourceFiles->Count(); ++i)
                names.push_back(Decode(sourceFiles->FileName(i), charset));
            for (const QString &pattern : std::as_const(filter_)) {
                QCoreApplication::processEvents();
                if (refreshAgain_)
                    break;
                for (int i = 0; i < int(names.size()); ++i) {
                    if (!MatchWildcard(pattern, names[size_t(i)]))
                        continue;
                    if (taken.insert(names[size_t(i)].toCaseFolded()).second)
                        files.AddInfo(sourceFiles->GetInfo(i));
                }
            }
            if (refreshAgain_)
                continue;
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
        SortLists(folders, files);
        model_->SetNameCharset(charset);
        model_->SetLists(std::move(folders), std::move(files));
        QApplication::restoreOverrideCursor();
    } while (refreshAgain_);
    refreshing_ = false;
}

QList<QByteArray> TMFtpListView::SelectedFolders() const
{
    QList<QByteArray> names;
    for (const QModelIndex &index : selectedRowIndexes())
        if (model_->IsFolderRow(index.row()))
            names.append(model_->RemoteName(index.row()).toByteArray());
    return names;
}

QList<QByteArray> TMFtpListView::SelectedFiles() const
{
    QList<QByteArray> names;
    for (const QModelIndex &index : selectedRowIndexes())
        if (index.row() < model_->rowCount() && !model_->IsFolderRow(index.row()))
            names.append(model_->RemoteName(index.row()).toByteArray());
    return names;
}

void TMFtpListView::beginDrag(QAbstractItemView *, Qt::DropActions)
{
    if (!selectedRowIndexes().isEmpty() && OnBeginDrag)
        OnBeginDrag();
}

} // namespace views
