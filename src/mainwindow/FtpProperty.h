#pragma once
// TPropertyForm: the properties of remote files and folders with the
// permission editor. It shows what the remote commands fill in (icon, name,
// type, location, size, date) and edits one permission text as nine boxes
// and a value box (the decimal digits SITE CHMOD sends, 755 for rwxr-xr-x).
// OK reports a change only for a valid value that differs from the one
// shown; an invalid value (not a number, a digit 8 or 9, 778 or more) turns
// into "0" and reports nothing.

#include <QDialog>
#include <QIcon>
#include <QStringList>

#include <array>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace mainwindow {

// Owner read, write, execute; group ...; public ...: positions 2 to 10 of a
// permission text.
using PermissionBoxes = std::array<bool, 9>;

// The permission text of several entries: "----------" for none, the text
// itself for one; otherwise the first text's type character, then for each
// position 2 to 10 the shared character, "-" where the texts differ. Texts
// shorter than ten characters give "----------".
QString MergedPermissions(const QStringList &attributes);
// The boxes of a text of exactly ten characters (a box is set where the
// character is not "-"); nothing for any other length.
std::optional<PermissionBoxes> BoxesFromPermissionText(const QString &text);
// 400, 200, 100, 40, 20, 10, 4, 2, 1 for the set boxes in that order.
int PermissionValue(const PermissionBoxes &boxes);
// The value of a permission text; 0 unless it has ten characters.
int PermissionTextValue(const QString &text);
// A value typed into the value box: its number when it is made of the
// digits 0 to 7 and below 778; nothing otherwise.
std::optional<int> ParsePermissionValue(const QString &typed);

class TPropertyForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 312;
    static constexpr int ClientHeight = 355;

    explicit TPropertyForm(QWidget *parent = nullptr);

    void SetIcon(const QIcon &icon);
    void SetItemName(const QString &text);
    void SetTypeText(const QString &text);
    void SetSizeText(const QString &text);
    void SetDateText(const QString &text);
    void SetLocationText(const QString &text);
    void SetPermissionText(const QString &text) { permissionText_ = text; }
    QString PermissionText() const { return permissionText_; }

    // What showing does: no change yet, boxes and value from the permission
    // text, captions in the current language.
    void Prepare();
    // Prepare, then modal; QDialog::Accepted for OK.
    int Open();

    // OK closed the dialog with a valid value other than the one shown.
    bool Changed() const { return changed_; }
    // The value box as the user left it ("0" after an invalid value).
    QString Value() const;

    QLineEdit *valueBox() const { return value_; }
    QCheckBox *permissionBox(int index) const { return boxes_.at(index); }
    QPushButton *okButton() const { return ok_; }
    QPushButton *closeButton() const { return close_; }
    QLineEdit *nameBox() const { return name_; }
    QLabel *typeLabel() const { return type_; }
    QLabel *sizeLabel() const { return size_; }
    QLabel *dateLabel() const { return date_; }
    QLabel *locationLabel() const { return location_; }

private:
    void ApplyTexts();
    void SetBoxes(const PermissionBoxes &boxes);
    PermissionBoxes Boxes() const;
    void BoxClicked();
    void OkClick();

    QLabel *icon_;
    QLineEdit *name_;
    QLabel *type_;
    QLabel *location_;
    QLabel *size_;
    QLabel *date_;
    QLabel *ownerLabel_;
    QLabel *groupLabel_;
    QLabel *publicLabel_;
    QLabel *manualLabel_;
    std::array<QCheckBox *, 9> boxes_{};
    QLineEdit *value_;
    QPushButton *ok_;
    QPushButton *close_;
    QString permissionText_;
    int shownValue_ = 0;
    bool changed_ = false;
};

} // namespace mainwindow
