#pragma once
// TMFtpListView: the remote pane. Shows the current remote folder of its
// bound engine, folders first and then files, from its own copies of the
// engine's two lists; a table model answers the views from those copies
// (one model reset per listing; texts, icons and type names on demand).
// Names are the server's bytes: shown decoded, handed back as bytes.

#include "listing/FileInfo.h"
#include "ui/FileListView.h"
#include "ui/ShellInfo.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>

#include "engine/TMFtp.h"

namespace views {

// Column captions: Simplified, Traditional, English.
enum TLanguage { China, ChinaGB, English };

// Column kinds; a column's kind is also its model column.
enum TFtpFileInfo { ffName, ffSize, ffType, ffModified, ffAttributes, ffDescription, ffOwner, ffGroup, ffAll };
using TFtpFileInfos = unsigned; // set of TFtpFileInfo, bit (1u << kind)
constexpr TFtpFileInfos FtpFileInfoSet(std::initializer_list<TFtpFileInfo> kinds)
{
    TFtpFileInfos set = 0;
    for (TFtpFileInfo kind : kinds)
        set |= 1u << kind;
    return set;
}
inline constexpr int FtpColumnCount = ffGroup + 1;

// Sort keys; each one's number is the number of its column kind.
enum TMFtpSortBase { stName, stSize, stFileType, stDateTime, stAttrib, stDescription, stOwner, stGroup, stNone };

struct TFtpColumnInfo
{
    QString Caption;
    int Width = 0;
    Qt::Alignment Alignment = Qt::AlignLeft;
};

class TMFtpListView;

class TMFtpListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The entry's name as the server sent it (QByteArray).
    static constexpr int RemoteNameRole = Qt::UserRole + 1;
    // True for folder rows.
    static constexpr int IsFolderRole = Qt::UserRole + 2;

    explicit TMFtpListModel(TMFtpListView *owner);

    // Replaces both lists with one model reset.
    void SetLists(TMFtpFileInfoList &&folders, TMFtpFileInfoList &&files);
    void Clear();
    const TMFtpFileInfoList &Folders() const { return folders_; }
    const TMFtpFileInfoList &Files() const { return files_; }
    int FolderCount() const { return folders_.Count(); }
    int FileCount() const { return files_.Count(); }
    bool IsFolderRow(int row) const { return row >= 0 && row < folders_.Count(); }
    // The name bytes of a row; empty outside the list.
    QByteArrayView RemoteName(int row) const;

    // How names are decoded for display (the engine's site character set).
    void SetNameCharset(TMFtpNameCharset charset) { nameCharset_ = charset; }
    TMFtpNameCharset NameCharset() const { return nameCharset_; }

    void SetShellLanguage(ui::ShellLanguage language);
    ui::ShellLanguage ShellLanguage() const { return language_; }
    // The type name shown for a file name (cached per extension).
    QString FileTypeName(QByteArrayView fileName) const;
    QString FolderTypeName() const { return ui::ShellFolderTypeName(language_); }

    // Type-ahead: the first row from `start` on whose name begins with
    // `text` ignoring case; after the last row the search goes on at row 0
    // when `wrap` is set, and stops when it comes back to `start`. -1: none.
    int FindItem(const QString &text, int start, bool wrap) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QModelIndexList match(const QModelIndex &start, int role, const QVariant &value, int hits = 1,
                          Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith | Qt::MatchWrap)) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    void HeaderChanged() { emit headerDataChanged(Qt::Horizontal, 0, FtpColumnCount - 1); }

private:
    struct TypeInfo
    {
        QString Name;
        QIcon Icon;
        QIcon LinkIcon;
    };
    const TypeInfo &TypeOf(QByteArrayView fileName) const;
    QString CellText(int row, int column) const;
    void BuildSearchList() const;

    TMFtpListView *owner_;
    TMFtpFileInfoList folders_;
    TMFtpFileInfoList files_;
    ui::ShellLanguage language_ = ui::ShellLanguage::English;
    TMFtpNameCharset nameCharset_ = TMFtpNameCharset::Auto;
    mutable QHash<QString, TypeInfo> types_; // by extension as written, lower case
    mutable QIcon folderLinkIcon_;
    mutable QStringList searchList_;          // upper-cased names in row order
    mutable bool searchListValid_ = false;
};

class TMFtpListView : public ui::FileListView
{
    Q_OBJECT
public:
    static constexpr TFtpFileInfos DefaultViewColumns = FtpFileInfoSet({ffName, ffSize, ffType, ffModified});

    explicit TMFtpListView(QWidget *parent = nullptr);
    ~TMFtpListView() override;

    TMFtpListModel *listModel() const { return model_; }

    // The engine whose listings are shown. Binding subscribes to its
    // listing-done notification; every completed listing refreshes the list.
    TMFtp *Client() const { return client_; }
    void SetClient(TMFtp *client);

    // Shows these lists as if an engine had just listed them (the view keeps
    // its own copies; a later listing of the Client replaces them).
    void LoadLists(const TMFtpFileInfoList &folders, const TMFtpFileInfoList &files);
    // Empties the list until the next listing (or LoadLists).
    void Clear();

    TLanguage Language() const { return language_; }
    void SetLanguage(TLanguage language);
    TFtpFileInfos ViewColumns() const { return viewColumns_; }
    void SetViewColumns(TFtpFileInfos columns);
    TMFtpSortBase SortType() const { return sortType_; }
    bool Ascending() const { return ascending_; }
    // Sets the key and the direction and re-sorts.
    void SortBy(TMFtpSortBase sortType, bool ascending);
    void SetSortType(TMFtpSortBase sortType) { SortBy(sortType, ascending_); }
    void SetAscending(bool ascending) { SortBy(sortType_, ascending); }
    // Column click: the sorted column toggles the direction, another column
    // sorts ascending by its kind.
    void ColumnClick(int kind);
    // The name column's width when the columns fit: it takes the report
    // view's free width, never less than this (the table width, which the
    // user's resizing of the column changes).
    int NameColumnWidth() const;
    // Wildcard patterns for files (folders are always shown); applied at the
    // next RefreshList.
    QStringList Filter() const { return filter_; }
    void SetFilter(const QStringList &patterns) { filter_ = patterns; }
    bool WebStyle() const { return webStyle_; }
    void SetWebStyle(bool on);

    // Rebuilds from the Client's lists (or the loaded ones): filter, sort,
    // one model reset. Does nothing without a source.
    void RefreshList();

    // Names (server bytes) of the selected folders and files, in row order,
    // in every view style.
    QList<QByteArray> SelectedFolders() const;
    QList<QByteArray> SelectedFiles() const;
    bool IsFolderItem(int row) const { return model_->IsFolderRow(row); }
    int ItemCount() const { return model_->rowCount(); }

    // The shared column table (captions of the current language, widths).
    static const TFtpColumnInfo &ColumnInfo(TFtpFileInfo kind);

    // Raised when the user starts dragging and at least one item is
    // selected; the list itself drags nothing.
    std::function<void()> OnBeginDrag;
    void beginDrag(QAbstractItemView *view, Qt::DropActions supported) override;

    // Room for the header and a few rows, so that neighbours in a splitter
    // give way before the list becomes unusable.
    static constexpr int MinimumVisibleRows = 4;
    QSize minimumSizeHint() const override;

signals:
    // The sort key or direction changed (by SortBy, a column click or the
    // header).
    void sortChanged(views::TMFtpSortBase sortType, bool ascending);

private:
    friend class TMFtpListModel;
    void RebuildColumns();
    void SyncSortIndicator();
    void FitNameColumn();
    void SortLists(TMFtpFileInfoList &folders, TMFtpFileInfoList &files) const;
    void OnListingDone();

    TMFtpListModel *model_;
    QPointer<TMFtp> client_;
    int listingSlot_ = -1;
    bool useLoaded_ = false; // the loaded lists are the source, not the Client
    bool emptied_ = false;   // Clear() was called: nothing to show until the next listing
    TMFtpFileInfoList loadedFolders_;
    TMFtpFileInfoList loadedFiles_;
    TLanguage language_ = English;
    TFtpFileInfos viewColumns_ = DefaultViewColumns;
    TMFtpSortBase sortType_ = stName;
    bool ascending_ = true;
    QStringList filter_;
    bool webStyle_ = false;
    bool columnsBuilt_ = false;
    bool refreshing_ = false;
    bool refreshAgain_ = false;
    bool fittingName_ = false; // the name column is being widened by FitNameColumn
};

} // namespace views
