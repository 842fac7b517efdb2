#pragma once
// TLocalPropertyForm: the properties of the local pane's selected items.
// One item: name and icon, type, link target, location, size in bytes,
// contents of a folder, modification time, permissions and owner. Several
// items: how many folders and files were chosen, their common type and
// location, and the size and contents of all of them together. Folder trees
// are added up in the background; the dialog can be closed at any time.

#include <QDialog>
#include <QHash>
#include <QStringList>

#include <atomic>
#include <thread>

class QGridLayout;
class QLabel;
class QPushButton;

namespace mainwindow {

// What lies in a set of trees, the given items included. Links count as
// files of their own size and are never followed; folders add no bytes.
struct TreeMeasure
{
    qint64 files = 0;
    qint64 folders = 0;
    qint64 bytes = 0;
};

// Adds up `paths` with everything below the folders among them; stops early
// (with what it has) when `cancel` becomes true.
TreeMeasure measureTrees(const QStringList &paths, const std::atomic_bool &cancel);

// "812 字节", or "1.50 KB (1,536 字节)" and so on up to TB, in the current
// language.
QString formatByteSize(qint64 bytes);

// "-rw-r--r-- (644)" for the permission bits of `mode` (a st_mode).
QString permissionText(unsigned mode);

class TLocalPropertyForm : public QDialog
{
    Q_OBJECT
public:
    // `paths` are absolute; an empty list shows nothing but the caption.
    explicit TLocalPropertyForm(const QStringList &paths, QWidget *parent = nullptr);
    ~TLocalPropertyForm() override;

    // The text of one row: "Name", "Type", "Target", "Location", "Size",
    // "Contents", "Modified", "Permissions", "Owner"; empty when the row is
    // not shown.
    QString rowText(const QString &row) const;
    // True while folder sizes are still being added up.
    bool measuring() const { return measuring_; }

    QPushButton *closeButton() const { return close_; }

private:
    void addRow(const QString &key, const QString &caption, const QString &value);
    void setRow(const QString &key, const QString &value);
    void measured(const TreeMeasure &total);

    QStringList paths_;
    QHash<QString, QLabel *> values_;
    QGridLayout *grid_ = nullptr;
    QPushButton *close_ = nullptr;
    bool measuring_ = false;
    bool single_ = false;
    std::atomic_bool cancel_{false};
    std::thread worker_;
};

} // namespace mainwindow
