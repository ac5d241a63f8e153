#include "platform/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPrinter>
#include <QTest>
#include <QTimer>

namespace {

// Once the next modal message box is up: notes the captions of its buttons,
// then clicks the one that reads `answer`.
void answerNextMessageBox(const QString &answer, QStringList *captions)
{
    QTimer::singleShot(0, [captions, answer] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        for (QAbstractButton *button : box->buttons())
            captions->append(button->text());
        for (QAbstractButton *button : box->buttons())
            if (button->text() == answer)
                button->click();
    });
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void recordsEveryMessage()
    {
        ScriptedDialogs dialogs;
        Dialogs::current().information(QStringLiteral("Código no encontrado"));
        Dialogs::current().error(QStringLiteral("El usuario no esta registrado en la compañia"));
        Dialogs::current().warning(QStringLiteral("Cuidado"), QStringLiteral("Caja"));
        Dialogs::current().beep();
        Dialogs::current().beep();

        const QList<ShownDialog> expected{
            {DialogKind::Information, Dialogs::defaultCaption(DialogKind::Information),
             "Código no encontrado"},
            {DialogKind::Error, "Error", "El usuario no esta registrado en la compañia"},
            {DialogKind::Warning, "Caja", "Cuidado"},
        };
        QCOMPARE(dialogs.shown(), expected);
        QCOMPARE(dialogs.texts(DialogKind::Error),
                 QStringList{"El usuario no esta registrado en la compañia"});
        QCOMPARE(dialogs.beeps(), 2);
        QVERIFY(dialogs.errors().isEmpty());
    }

    void answersFromTheQueueInOrder()
    {
        ScriptedDialogs dialogs;
        dialogs.answerYes();
        dialogs.answerNo();
        dialogs.answerCancel();
        dialogs.answerText(QStringLiteral("clave"));
        dialogs.cancelText();
        dialogs.answerFile(QStringLiteral("/tmp/x.csv"), 1);
        dialogs.cancelFile();
        dialogs.acceptPrinter();
        Dialogs &d = Dialogs::current();
        QPrinter printer;

        QVERIFY(d.askYesNo(QStringLiteral("Desea borrar definitivamente el vehículo con placa ABC123 ?")));
        QVERIFY(!d.askYesNo(QStringLiteral("Cliente no encontrado. Crear?")));
        QVERIFY(!d.askOkCancel(QStringLiteral("¿Continuar?")));
        QCOMPARE(d.askPassword(QStringLiteral("Clave:")), std::optional<QString>("clave"));
        QCOMPARE(d.askText(QStringLiteral("Motivo:")), std::nullopt);
        FileDialogRequest exportRequest;
        exportRequest.caption = "Exportar";
        exportRequest.fileName = "Tarvinovta";
        exportRequest.filters = QStringList{"Archivo texto (*.txt)",
                                            "Valores separados por comas (*.csv)"};
        const FileChoice saved = d.saveFile(exportRequest);
        QCOMPARE(saved.path, QStringLiteral("/tmp/x.csv"));
        QCOMPARE(saved.filterIndex, 1);
        FileDialogRequest pdfRequest;
        pdfRequest.filters = QStringList{"Archivo Adobe PDF (*.pdf)"};
        QVERIFY(!d.openFile(pdfRequest).accepted());
        QVERIFY(d.choosePrinter(printer));

        QCOMPARE(dialogs.pendingAnswers(), 0);
        QVERIFY(dialogs.errors().isEmpty());
        QCOMPARE(dialogs.texts(DialogKind::YesNo),
                 (QStringList{"Desea borrar definitivamente el vehículo con placa ABC123 ?",
                              "Cliente no encontrado. Crear?"}));
        QCOMPARE(dialogs.fileRequests().size(), 2);
        QCOMPARE(dialogs.fileRequests().constFirst().fileName, QStringLiteral("Tarvinovta"));
    }

    void missingOrWrongAnswerIsAnError_data()
    {
        QTest::addColumn<bool>("queueText");   // queue a text answer instead of none
        QTest::newRow("empty queue") << false;
        QTest::newRow("answer of another kind") << true;
    }

    void missingOrWrongAnswerIsAnError()
    {
        QFETCH(bool, queueText);
        ScriptedDialogs dialogs;
        if (queueText)
            dialogs.answerText(QStringLiteral("x"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ScriptedDialogs: .*Crear\\?"));

        QVERIFY(!Dialogs::current().askYesNo(QStringLiteral("Cliente no encontrado. Crear?")));

        QCOMPARE(dialogs.errors().size(), 1);
        QVERIFY(dialogs.errors().constFirst().contains("Cliente no encontrado. Crear?"));
        QCOMPARE(dialogs.texts(), QStringList{"Cliente no encontrado. Crear?"});
        QCOMPARE(dialogs.pendingAnswers(), queueText ? 1 : 0);   // a mismatch is not consumed
    }

    void installsOnlyWhileAlive()
    {
        Dialogs *real = &Dialogs::current();
        QVERIFY(dynamic_cast<QtDialogs *>(real));
        {
            ScriptedDialogs outer;
            QCOMPARE(&Dialogs::current(), &outer);
        }
        QCOMPARE(&Dialogs::current(), real);
    }

    void qtMessageBoxesSpeakSpanish_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("click");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<bool>("answer");
        QTest::newRow("yes/no, yes") << int(DialogKind::YesNo) << "Sí" << QStringList{"Sí", "No"}
                                     << true;
        QTest::newRow("yes/no, no") << int(DialogKind::YesNo) << "No" << QStringList{"Sí", "No"}
                                    << false;
        QTest::newRow("ok/cancel, cancel") << int(DialogKind::OkCancel) << "Cancelar"
                                           << QStringList{"Aceptar", "Cancelar"} << false;
        QTest::newRow("error") << int(DialogKind::Error) << "Aceptar" << QStringList{"Aceptar"}
                               << true;
    }

    void qtMessageBoxesSpeakSpanish()
    {
        QFETCH(int, kind);
        QFETCH(QString, click);
        QFETCH(QStringList, buttons);
        QFETCH(bool, answer);
        QtDialogs dialogs;
        QStringList captions;
        answerNextMessageBox(click, &captions);
        bool result = true;
        if (DialogKind(kind) == DialogKind::YesNo)
            result = dialogs.askYesNo(QStringLiteral("¿Seguro?"));
        else if (DialogKind(kind) == DialogKind::OkCancel)
            result = dialogs.askOkCancel(QStringLiteral("¿Seguro?"));
        else
            dialogs.error(QStringLiteral("Falló"));
        QCOMPARE(result, answer);
        QStringList sorted = captions;
        sorted.sort();
        QStringList expected = buttons;
        expected.sort();
        QCOMPARE(sorted, expected);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
