#include "platform/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPushButton>
#include <QtDebug>

namespace {

Dialogs *installedDialogs = nullptr;

QtDialogs &qtDialogs()
{
    static QtDialogs instance;
    return instance;
}

QString applicationTitle()
{
    const QString title = QGuiApplication::applicationDisplayName();
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

QString captionOrDefault(const QString &caption, DialogKind kind)
{
    return caption.isEmpty() ? Dialogs::defaultCaption(kind) : caption;
}

} // namespace

QString dialogKindName(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Information: return QStringLiteral("Information");
    case DialogKind::Warning: return QStringLiteral("Warning");
    case DialogKind::Error: return QStringLiteral("Error");
    case DialogKind::YesNo: return QStringLiteral("YesNo");
    case DialogKind::OkCancel: return QStringLiteral("OkCancel");
    case DialogKind::TextInput: return QStringLiteral("TextInput");
    case DialogKind::OpenFile: return QStringLiteral("OpenFile");
    case DialogKind::SaveFile: return QStringLiteral("SaveFile");
    case DialogKind::Printer: return QStringLiteral("Printer");
    case DialogKind::PageSetup: return QStringLiteral("PageSetup");
    }
    return {};
}

// ---------------------------------------------------------------- Dialogs

Dialogs &Dialogs::current()
{
    return installedDialogs ? *installedDialogs : qtDialogs();
}

void Dialogs::setCurrent(Dialogs *dialogs)
{
    installedDialogs = dialogs;
}

QString Dialogs::defaultCaption(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Information:
    case DialogKind::TextInput: return applicationTitle();
    case DialogKind::Warning: return QStringLiteral("Advertencia");
    case DialogKind::Error: return QStringLiteral("Error");
    case DialogKind::YesNo:
    case DialogKind::OkCancel: return QStringLiteral("Confirmación");
    case DialogKind::OpenFile: return QStringLiteral("Abrir");
    case DialogKind::SaveFile: return QStringLiteral("Guardar como");
    case DialogKind::Printer: return QStringLiteral("Imprimir");
    case DialogKind::PageSetup: return QStringLiteral("Configurar página");
    }
    return applicationTitle();
}

void Dialogs::information(const QString &text, const QString &caption)
{
    showMessage(DialogKind::Information, captionOrDefault(caption, DialogKind::Information), text);
}

void Dialogs::warning(const QString &text, const QString &caption)
{
    showMessage(DialogKind::Warning, captionOrDefault(caption, DialogKind::Warning), text);
}

void Dialogs::error(const QString &text, const QString &caption)
{
    showMessage(DialogKind::Error, captionOrDefault(caption, DialogKind::Error), text);
}

bool Dialogs::askYesNo(const QString &text, const QString &caption)
{
    return askQuestion(DialogKind::YesNo, captionOrDefault(caption, DialogKind::YesNo), text);
}

bool Dialogs::askOkCancel(const QString &text, const QString &caption)
{
    return askQuestion(DialogKind::OkCancel, captionOrDefault(caption, DialogKind::OkCancel), text);
}

std::optional<QString> Dialogs::askText(const QString &prompt, const QString &caption, bool masked,
                                        const QString &initial)
{
    return inputText(captionOrDefault(caption, DialogKind::TextInput), prompt, masked, initial);
}

std::optional<QString> Dialogs::askPassword(const QString &prompt, const QString &caption)
{
    return askText(prompt, caption, true);
}

FileChoice Dialogs::openFile(const FileDialogRequest &request)
{
    FileDialogRequest r = request;
    r.caption = captionOrDefault(request.caption, DialogKind::OpenFile);
    return chooseFile(DialogKind::OpenFile, r);
}

FileChoice Dialogs::saveFile(const FileDialogRequest &request)
{
    FileDialogRequest r = request;
    r.caption = captionOrDefault(request.caption, DialogKind::SaveFile);
    return chooseFile(DialogKind::SaveFile, r);
}

bool Dialogs::choosePrinter(QPrinter &printer, const QString &caption)
{
    return printerDialog(DialogKind::Printer, captionOrDefault(caption, DialogKind::Printer), printer);
}

bool Dialogs::setUpPage(QPrinter &printer, const QString &caption)
{
    return printerDialog(DialogKind::PageSetup, captionOrDefault(caption, DialogKind::PageSetup),
                         printer);
}

// ---------------------------------------------------------------- QtDialogs

QWidget *QtDialogs::parentWindow()
{
    return QApplication::activeWindow();
}

void QtDialogs::beep()
{
    QApplication::beep();
}

void QtDialogs::showMessage(DialogKind kind, const QString &caption, const QString &text)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if (kind == DialogKind::Warning)
        icon = QMessageBox::Warning;
    else if (kind == DialogKind::Error)
        icon = QMessageBox::Critical;
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parentWindow());
    box.button(QMessageBox::Ok)->setText(QStringLiteral("Aceptar"));
    box.exec();
}

bool QtDialogs::askQuestion(DialogKind kind, const QString &caption, const QString &text)
{
    const bool yesNo = kind == DialogKind::YesNo;
    const auto accept = yesNo ? QMessageBox::Yes : QMessageBox::Ok;
    const auto reject = yesNo ? QMessageBox::No : QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Question, caption, text, accept | reject, parentWindow());
    box.button(accept)->setText(yesNo ? QStringLiteral("Sí") : QStringLiteral("Aceptar"));
    box.button(reject)->setText(yesNo ? QStringLiteral("No") : QStringLiteral("Cancelar"));
    box.setDefaultButton(accept);
    box.setEscapeButton(reject);
    return box.exec() == accept;
}

std::optional<QString> QtDialogs::inputText(const QString &caption, const QString &prompt,
                                            bool masked, const QString &initial)
{
    QInputDialog dialog(parentWindow());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    dialog.setTextEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
    dialog.setOkButtonText(QStringLiteral("Aceptar"));
    dialog.setCancelButtonText(QStringLiteral("Cancelar"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

FileChoice QtDialogs::chooseFile(DialogKind kind, const FileDialogRequest &request)
{
    const bool save = kind == DialogKind::SaveFile;
    QFileDialog dialog(parentWindow(), request.caption, request.directory);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.filters.isEmpty()) {
        dialog.setNameFilters(request.filters);
        dialog.selectNameFilter(request.filters.value(request.selectedFilter));
    }
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    dialog.setLabelText(QFileDialog::Accept, save ? QStringLiteral("Guardar") : QStringLiteral("Abrir"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().constFirst(),
            int(request.filters.indexOf(dialog.selectedNameFilter()))};
}

bool QtDialogs::printerDialog(DialogKind kind, const QString &caption, QPrinter &printer)
{
    if (kind == DialogKind::PageSetup) {
        QPageSetupDialog dialog(&printer, parentWindow());
        dialog.setWindowTitle(caption);
        return dialog.exec() == QDialog::Accepted;
    }
    QPrintDialog dialog(&printer, parentWindow());
    dialog.setWindowTitle(caption);
    return dialog.exec() == QDialog::Accepted;
}

// ---------------------------------------------------------------- ScriptedDialogs

ScriptedDialogs::ScriptedDialogs()
{
    install();
}

ScriptedDialogs::~ScriptedDialogs()
{
    uninstall();
}

void ScriptedDialogs::install()
{
    Dialogs::setCurrent(this);
    m_installed = true;
}

void ScriptedDialogs::uninstall()
{
    if (m_installed && &Dialogs::current() == this)
        Dialogs::setCurrent(nullptr);
    m_installed = false;
}

void ScriptedDialogs::queue(AnswerType type, bool accepted, const QString &text, int filterIndex)
{
    m_answers.append(Answer{type, accepted, text, filterIndex});
}

void ScriptedDialogs::answerYes()
{
    queue(AnswerType::Question, true);
}

void ScriptedDialogs::answerNo()
{
    queue(AnswerType::Question, false);
}

void ScriptedDialogs::answerText(const QString &text)
{
    queue(AnswerType::Text, true, text);
}

void ScriptedDialogs::cancelText()
{
    queue(AnswerType::Text, false);
}

void ScriptedDialogs::answerFile(const QString &path, int filterIndex)
{
    queue(AnswerType::File, true, path, filterIndex);
}

void ScriptedDialogs::cancelFile()
{
    queue(AnswerType::File, false);
}

void ScriptedDialogs::acceptPrinter()
{
    queue(AnswerType::Printer, true);
}

void ScriptedDialogs::cancelPrinter()
{
    queue(AnswerType::Printer, false);
}

QStringList ScriptedDialogs::texts() const
{
    QStringList result;
    for (const ShownDialog &d : m_shown)
        result.append(d.text);
    return result;
}

QStringList ScriptedDialogs::texts(DialogKind kind) const
{
    QStringList result;
    for (const ShownDialog &d : m_shown)
        if (d.kind == kind)
            result.append(d.text);
    return result;
}

QList<ShownDialog> ScriptedDialogs::takeShown()
{
    return std::exchange(m_shown, {});
}

void ScriptedDialogs::clear()
{
    m_shown.clear();
    m_answers.clear();
    m_fileRequests.clear();
    m_errors.clear();
    m_beeps = 0;
}

void ScriptedDialogs::record(DialogKind kind, const QString &caption, const QString &text)
{
    m_shown.append({kind, caption, text});
}

std::optional<ScriptedDialogs::Answer> ScriptedDialogs::takeAnswer(AnswerType type, DialogKind kind,
                                                                   const QString &text)
{
    if (m_answers.isEmpty() || m_answers.constFirst().type != type) {
        const QString problem = m_answers.isEmpty()
            ? QStringLiteral("no scripted answer for %1 dialog: %2")
            : QStringLiteral("scripted answer of another kind for %1 dialog: %2");
        m_errors.append(problem.arg(dialogKindName(kind), text));
        qWarning().noquote() << "ScriptedDialogs:" << m_errors.constLast();
        return std::nullopt;
    }
    return m_answers.takeFirst();
}

void ScriptedDialogs::showMessage(DialogKind kind, const QString &caption, const QString &text)
{
    record(kind, caption, text);
}

bool ScriptedDialogs::askQuestion(DialogKind kind, const QString &caption, const QString &text)
{
    record(kind, caption, text);
    const auto answer = takeAnswer(AnswerType::Question, kind, text);
    return answer && answer->accepted;
}

std::optional<QString> ScriptedDialogs::inputText(const QString &caption, const QString &prompt,
                                                  bool, const QString &)
{
    record(DialogKind::TextInput, caption, prompt);
    const auto answer = takeAnswer(AnswerType::Text, DialogKind::TextInput, prompt);
    if (!answer || !answer->accepted)
        return std::nullopt;
    return answer->text;
}

FileChoice ScriptedDialogs::chooseFile(DialogKind kind, const FileDialogRequest &request)
{
    record(kind, request.caption, request.caption);
    m_fileRequests.append(request);
    const auto answer = takeAnswer(AnswerType::File, kind, request.caption);
    if (!answer || !answer->accepted)
        return {};
    return {answer->text, answer->filterIndex};
}

bool ScriptedDialogs::printerDialog(DialogKind kind, const QString &caption, QPrinter &)
{
    record(kind, caption, caption);
    const auto answer = takeAnswer(AnswerType::Printer, kind, caption);
    return answer && answer->accepted;
}
