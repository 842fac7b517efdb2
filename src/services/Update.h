#pragma once
// TUpdateForm: the update check. Four steps, each with a progress bar:
// the network check, the version description (saved as version.ini), the
// new program file (downloaded beside the program as "<program>~") and the
// start of the replacement script; Start and Cancel. The new file replaces
// the program only after it has been checked (complete, the announced size
// and SHA-256, a program of this platform) and only when the program file
// can be written; the script does the replacement once the program has
// ended, and the window then announces replacementStarted().

#include "services/HttpClient.h"
#include "services/UpdateCheck.h"

#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QRandomGenerator;

namespace services {

struct UpdateEnvironment
{
    QString programFile;   // the program to replace
    QString dataFolder;    // where version.ini is kept
    QUrl serviceBase;      // the update service
    qint64 pid = 0;        // the process the script waits for
    QString reference;     // a program of this platform (empty: programFile)
};

class TUpdateForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 383;
    static constexpr int ClientHeight = 178;
    static constexpr int StepCount = 4;

    explicit TUpdateForm(const UpdateEnvironment &environment, QWidget *parent = nullptr);
    ~TUpdateForm() override;

    // Texts of the current language, then Reset (the window's showing).
    void SetTexts();
    // All bars at 0 with the step names, no percentage, Start enabled.
    void Reset();
    void StartClick();
    // Aborts a running transfer and closes the window.
    void CancelClick();

    THttpClient *http() const { return http_; }
    QProgressBar *bar(int step) const { return bars_[step]; }
    QLabel *stepLabel(int step) const { return labels_[step]; }
    QPushButton *startButton() const { return start_; }
    QPushButton *cancelButton() const { return cancel_; }
    QString versionFile() const;
    QUrl downloadSource() const { return source_; }

    // What starts the replacement script (tests replace it); the default
    // is StartReplacementScript.
    using Launcher = std::function<bool(const QString &script)>;
    void setLauncher(Launcher launcher) { launcher_ = std::move(launcher); }
    // The random source of the address choice (tests seed one).
    void setRandom(QRandomGenerator *random) { random_ = random; }

    void reject() override;

signals:
    // The script runs and waits for the program to end.
    void replacementStarted();

private:
    enum class Stage { Idle, Description, Program };

    void onFinished(HttpOutcome outcome);
    void onProgress(int percent);
    void descriptionArrived(HttpOutcome outcome);
    void programArrived(HttpOutcome outcome);
    void startDownload();
    void installDownload();
    void transferFailed(HttpOutcome outcome);
    void discardDownload();
    bool checksumRequired() const;
    void setBar(int step, int value, const QString &text, bool percent = false);

    UpdateEnvironment env_;
    THttpClient *http_;
    QProgressBar *bars_[StepCount];
    QLabel *labels_[StepCount];
    QPushButton *start_;
    QPushButton *cancel_;
    Stage stage_ = Stage::Idle;
    VersionDescription description_;
    QUrl source_;
    Launcher launcher_;
    QRandomGenerator *random_ = nullptr;
};

} // namespace services
