#pragma once
// TSiteForm: the site manager. The site book's tree on the left, the
// selected site's fields on the right; every edit goes straight into the
// node's record, and the book is written whenever the window closes.
// Created once at start-up (which loads the book) and kept for the run.

#include "sites/ConnectRequest.h"
#include "sites/SiteBook.h"
#include "sites/SiteOptionsFile.h"

#include <QDialog>
#include <QHash>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QTreeView;

namespace sites {

class SiteTreeView;

struct SiteFormText
{
    const char *control;
    const char *simplified;
    const char *traditional;
};

class TSiteForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 625;
    static constexpr int ClientHeight = 350;
    // Edits longer than this in the port box are replaced by the default port.
    static constexpr int MaxPortDigits = 5;

    // Loads the book from `siteBookFile` and the sites' options from
    // SiteOptions.json beside it; a damaged file is reported in a message
    // box and set aside.
    explicit TSiteForm(const QString &siteBookFile, QWidget *parent = nullptr);
    ~TSiteForm() override;

    // Shows the window modally at its size. After "connect" it returns
    // Accepted and emits connectRequested() with the fields' values.
    int OpenFromMenu();

    // The connection data in the fields as they stand.
    ConnectRequest connectRequest() const;

    TSiteTree *tree() const { return tree_; }
    QTreeView *treeView() const;
    const QString &siteBookFile() const { return file_; }
    const SiteBookLoad &loadResult() const { return load_; }
    QString siteOptionsFile() const { return siteOptionsPathFor(file_); }
    const SiteOptionsLoad &optionsLoadResult() const { return optionsLoad_; }

    TSiteNode *selectedNode() const;
    void selectNode(TSiteNode *node);

    TSiteNode *AddSiteEntry(TSiteNode *selected, bool group, const QString &text);
    void DeleteSiteEntry();
    // Drop of the selected node at `pos` (tree viewport coordinates).
    bool MoveSiteEntry(const QPoint &pos);
    // Writes the book and the sites' options; a failure is reported in a
    // message box.
    bool SaveSiteBook();

    void SetTexts();
    static const std::vector<SiteFormText> &captionTable();
    static const std::vector<SiteFormText> &hintTable();

    // Controls by name: menu items, buttons, fields and their labels.
    QAction *action(const QString &name) const { return actions_.value(name); }
    QPushButton *button(const QString &name) const { return buttons_.value(name); }
    QWidget *control(const QString &name) const;
    QGroupBox *siteGroupBox() const { return groupBox_; }
    QWidget *infoPanel() const { return infoPanel_; }
    QMenu *popupMenu() const { return popup_; }

signals:
    void connectRequested(const sites::ConnectRequest &request);

protected:
    void done(int result) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus();
    void buildButtons();
    void buildFields();
    void createRootWhenEmpty();
    void reportLoadFailure();
    void reportOptionsProblem();

    void onCurrentChanged(TSiteNode *node);
    void fillFields(const TSiteInfo &record);
    void fillOptions(const SiteOptions &options);
    void storeOptions();
    TSiteInfo *currentRecord() const;
    void storeSealed(QLineEdit *field, QString TSiteInfo::*member);
    void updateCommandStates();
    void updateConnectButton();
    void connectChosen();
    void runConnectItem();
    void browseLocalPath();
    void copyStatesToPopup();

    QString file_;
    SiteBookLoad load_;
    SiteOptionsLoad optionsLoad_;
    QString key_;
    bool filling_ = false;
    TSiteTree *tree_;
    SiteTreeView *view_ = nullptr;
    QMenuBar *menuBar_ = nullptr;
    QMenu *fileMenu_ = nullptr;
    QMenu *editMenu_ = nullptr;
    QMenu *popup_ = nullptr;
    QGroupBox *groupBox_ = nullptr;
    QWidget *infoPanel_ = nullptr;
    QLineEdit *server_ = nullptr;
    QLineEdit *user_ = nullptr;
    QLineEdit *password_ = nullptr;
    QLineEdit *port_ = nullptr;
    QCheckBox *anonymous_ = nullptr;
    QLineEdit *remotePath_ = nullptr;
    QLineEdit *localPath_ = nullptr;
    QToolButton *browse_ = nullptr;
    QPlainTextEdit *memo_ = nullptr;
    QComboBox *tlsMode_ = nullptr;
    QComboBox *charset_ = nullptr;
    QCheckBox *passiveRule_ = nullptr;
    QHash<QString, QAction *> actions_;
    QHash<QString, QPushButton *> buttons_;
    QHash<QString, QLabel *> labels_;
};

} // namespace sites
