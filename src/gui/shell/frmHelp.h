#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <utility>
#include <vector>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace liqiva {

// The program's help pages: HTML files in Italian listed, in the order of the index, by the
// file "indice.txt" of their folder (one page a line: file name, "|", title). The pages are
// compiled into the program (":/help"); another folder can be named for trials.
class HelpBook {
public:
    explicit HelpBook(QString root = QStringLiteral(":/help"));

    // False when the pages are missing: "Guida in linea non disponibile."
    bool available() const { return !m_pages.empty(); }
    const std::vector<std::pair<QString, QString>> &pages() const { return m_pages; } // file, title
    QString title(const QString &file) const;
    QString urlOf(const QString &file) const;
    // The pages that hold every word of the text (case and accents as typed are ignored for
    // case only), in index order.
    QStringList search(const QString &text) const;
    QString root() const { return m_root; }

    // The page about a window or control: the nearest of its parents that has one (a tab of the
    // settlement window has its own page); the index when none has.
    static QString pageFor(const QWidget *widget);
    static QString indexPage() { return QStringLiteral("indice.html"); }

    static const QString UnavailableText; // "Guida in linea non disponibile."

private:
    QString m_root;
    std::vector<std::pair<QString, QString>> m_pages;
};

// The help window: the index (or the pages a search found) beside the page shown.
class frmHelp : public QWidget {
    Q_OBJECT
public:
    explicit frmHelp(const HelpBook &book, QWidget *parent = nullptr);

    void showPage(const QString &file);
    void find(const QString &text);
    QString currentPage() const { return m_current; }
    QTextBrowser *browser() const { return txtPagina; }

private:
    void listPages(const QStringList &files);

    HelpBook m_book;
    QLineEdit *txtCerca;
    QListWidget *lstIndice;
    QTextBrowser *txtPagina;
    QString m_current;
};

} // namespace liqiva
