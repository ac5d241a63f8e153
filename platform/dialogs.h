#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QPrinter;
class QWidget;

// Every message box, question, text input, file and printer dialog of the
// program goes through Dialogs::current(), so windows can be driven offscreen
// by a scripted implementation in tests.

enum class DialogKind {
    Information,   // plain message, OK
    Warning,       // warning message, OK
    Error,         // error message, OK
    YesNo,         // question with "Sí" / "No"
    OkCancel,      // question with "Aceptar" / "Cancelar"
    TextInput,     // one line of text, optionally masked
    OpenFile,
    SaveFile,
    Printer,       // the printer selection dialog
    PageSetup,     // the page set-up dialog
};

QString dialogKindName(DialogKind kind);

struct FileDialogRequest {
    QString caption;
    QString directory;
    QString fileName;          // proposed name
    QStringList filters;       // Qt style: "Archivo texto (*.txt)"
    int selectedFilter = 0;    // index into filters
    QString defaultSuffix;     // appended by the dialog when the name has none
    bool confirmOverwrite = true;
};

struct FileChoice {
    QString path;              // empty when cancelled
    int filterIndex = -1;      // index into FileDialogRequest::filters
    bool accepted() const { return !path.isEmpty(); }
};

class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // The instance the program uses; a Qt one unless a test installed another.
    static Dialogs &current();
    // Does not take ownership; nullptr restores the Qt implementation.
    static void setCurrent(Dialogs *dialogs);

    // An empty caption takes the default of the kind (application title for
    // plain messages).
    void information(const QString &text, const QString &caption = {});
    void warning(const QString &text, const QString &caption = {});
    void error(const QString &text, const QString &caption = {});
    bool askYesNo(const QString &text, const QString &caption = {});
    bool askOkCancel(const QString &text, const QString &caption = {});
    // nullopt when cancelled.
    std::optional<QString> askText(const QString &prompt, const QString &caption = {},
                                   bool masked = false, const QString &initial = {});
    std::optional<QString> askPassword(const QString &prompt, const QString &caption = {});
    FileChoice openFile(const FileDialogRequest &request);
    FileChoice saveFile(const FileDialogRequest &request);
    bool choosePrinter(QPrinter &printer, const QString &caption = {});
    bool setUpPage(QPrinter &printer, const QString &caption = {});

    virtual void beep() = 0;

    static QString defaultCaption(DialogKind kind);

protected:
    virtual void showMessage(DialogKind kind, const QString &caption, const QString &text) = 0;
    virtual bool askQuestion(DialogKind kind, const QString &caption, const QString &text) = 0;
    virtual std::optional<QString> inputText(const QString &caption, const QString &prompt,
                                             bool masked, const QString &initial) = 0;
    virtual FileChoice chooseFile(DialogKind kind, const FileDialogRequest &request) = 0;
    virtual bool printerDialog(DialogKind kind, const QString &caption, QPrinter &printer) = 0;
};

// The real dialogs, parented to the active window.
class QtDialogs : public Dialogs
{
public:
    void beep() override;

protected:
    void showMessage(DialogKind kind, const QString &caption, const QString &text) override;
    bool askQuestion(DialogKind kind, const QString &caption, const QString &text) override;
    std::optional<QString> inputText(const QString &caption, const QString &prompt, bool masked,
                                     const QString &initial) override;
    FileChoice chooseFile(DialogKind kind, const FileDialogRequest &request) override;
    bool printerDialog(DialogKind kind, const QString &caption, QPrinter &printer) override;

private:
    static QWidget *parentWindow();
};

struct ShownDialog {
    DialogKind kind;
    QString caption;
    QString text;   // message, question, prompt, or the file dialog's caption

    bool operator==(const ShownDialog &) const = default;
};

// Records every dialog and answers from a queue of scripted answers, in order.
// A dialog that finds no fitting answer at the head of the queue is recorded
// as an error and answered negatively (No, Cancel, no file).
// Constructing one installs it as Dialogs::current() until it is destroyed.
class ScriptedDialogs : public Dialogs
{
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void install();
    void uninstall();

    // Answers for YesNo and OkCancel questions.
    void answerYes();
    void answerNo();
    void answerOk() { answerYes(); }
    void answerCancel() { answerNo(); }
    void answerText(const QString &text);
    void cancelText();
    void answerFile(const QString &path, int filterIndex = 0);
    void cancelFile();
    void acceptPrinter();
    void cancelPrinter();

    const QList<ShownDialog> &shown() const { return m_shown; }
    QStringList texts() const;                 // the text of every dialog, in order
    QStringList texts(DialogKind kind) const;  // the texts of one kind
    QList<ShownDialog> takeShown();
    // What each open or save dialog was asked to offer, in order.
    const QList<FileDialogRequest> &fileRequests() const { return m_fileRequests; }
    int beeps() const { return m_beeps; }
    int pendingAnswers() const { return int(m_answers.size()); }
    // Missing or mismatched answers; empty when the script fitted.
    const QStringList &errors() const { return m_errors; }
    void clear();

    void beep() override { ++m_beeps; }

protected:
    void showMessage(DialogKind kind, const QString &caption, const QString &text) override;
    bool askQuestion(DialogKind kind, const QString &caption, const QString &text) override;
    std::optional<QString> inputText(const QString &caption, const QString &prompt, bool masked,
                                     const QString &initial) override;
    FileChoice chooseFile(DialogKind kind, const FileDialogRequest &request) override;
    bool printerDialog(DialogKind kind, const QString &caption, QPrinter &printer) override;

private:
    enum class AnswerType { Question, Text, File, Printer };
    struct Answer {
        AnswerType type;
        bool accepted = false;
        QString text;
        int filterIndex = -1;
    };

    void queue(AnswerType type, bool accepted, const QString &text = {}, int filterIndex = -1);
    void record(DialogKind kind, const QString &caption, const QString &text);
    std::optional<Answer> takeAnswer(AnswerType type, DialogKind kind, const QString &text);

    QList<ShownDialog> m_shown;
    QList<Answer> m_answers;
    QList<FileDialogRequest> m_fileRequests;
    QStringList m_errors;
    int m_beeps = 0;
    bool m_installed = false;
};
