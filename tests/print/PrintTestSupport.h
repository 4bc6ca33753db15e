#pragma once

#include "PdfProbe.h"
#include "document/Settings.h"
#include "popups/QueryForm.h"
#include "print/PrintService.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumeria::testing {

// A service that prints to a PDF in a scratch folder, with files named by
// scripts looked up in that folder.
class PrintFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!popplerPresent())
            GTEST_SKIP() << "poppler-utils (pdfinfo, pdftotext, pdftoppm) not installed";
        ASSERT_TRUE(folder.isValid());
        // Set to look at what a failing test printed.
        folder.setAutoRemove(!qEnvironmentVariableIsSet("LUMERIA_KEEP_PRINT_OUTPUT"));
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("tmp")));
        strings[LanguageElement::L_PAGEPROMPT] = QStringLiteral("Impression de la page ");
        strings[LanguageElement::L_CANCEL] = QStringLiteral("Annuler");
        strings[LanguageElement::L_ABORTFUNCTION] = QStringLiteral("Interrompre l'impression ?");
        strings[LanguageElement::L_YES] = QStringLiteral("Oui");
        strings[LanguageElement::L_NO] = QStringLiteral("Non");
        context.applicationTitle = QStringLiteral("Lumeria");
        context.strings = &strings;
        context.openFile = publicationFileOpener(nullptr, folder.path());
        context.scriptFont = [this] { return font; };
        context.pdfTarget = pdf();
        context.temporaryFolder = scratch();
    }

    void TearDown() override { TQueryForm::setAnswerer({}); }

    QString pdf() const { return folder.filePath(QStringLiteral("out.pdf")); }
    QString scratch() const { return folder.filePath(QStringLiteral("tmp")); }

    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // "row 1" to "row n", CR LF after each.
    static QByteArray rows(int n, const char* ending = "\r\n")
    {
        QByteArray bytes;
        for (int i = 1; i <= n; ++i)
            bytes += "row " + QByteArray::number(i) + ending;
        return bytes;
    }

    QTemporaryDir folder;
    LanguageElementArray strings;
    ScriptFont font;
    PrintContext context;
};

} // namespace lumeria::testing
