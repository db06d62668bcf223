#include "gui/shell/frmHelp.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextStream>
#include <QUrl>
#include <QVBoxLayout>

namespace liqiva {

namespace {

QString readText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

// The page of each window and control, by object name.
const QHash<QString, QString> &pageOfName()
{
    static const QHash<QString, QString> pages = {
        {u"frmMDI"_qs, u"finestra-principale.html"_qs},
        {u"brwMain"_qs, u"elenco.html"_qs},
        {u"fraFiltro"_qs, u"ricerca.html"_qs},
        {u"frmNew"_qs, u"nuova-liquidazione.html"_qs},
        {u"frmChild"_qs, u"liquidazione.html"_qs},
        {u"frmComunicazioneLiqIva"_qs, u"comunicazione.html"_qs},
        {u"frmAnnoLiquidazioni"_qs, u"anno.html"_qs},
        {u"frmOption"_qs, u"opzioni.html"_qs},
        {u"frmToolBars"_qs, u"barre.html"_qs},
        {u"frmInformazioni"_qs, u"informazioni.html"_qs},
        {u"frmHelp"_qs, u"guida.html"_qs},
        {u"frmActivityBox"_qs, u"riquadro-attivita.html"_qs},
        {u"frmStampa"_qs, u"stampa.html"_qs},
        {u"frmDatiDip"_qs, u"dichiarazione.html"_qs},
        {u"frmDatiProRata"_qs, u"dichiarazione.html"_qs},
        {u"frmAltreOperazioni"_qs, u"dichiarazione.html"_qs},
    };
    return pages;
}

// The pages of the tabs of the settlement window, by caption without access keys.
QString pageOfTab(const QString &caption)
{
    const QString c = QString(caption).remove(u'&').trimmed().toLower();
    if (c == u"acquisti"_qs || c == u"vendite"_qs || c.startsWith(u"corrisp"_qs))
        return u"liquidazione-righe.html"_qs;
    if (c == u"riepilogo"_qs)
        return u"liquidazione-riepilogo.html"_qs;
    if (c == u"liquidazione"_qs)
        return u"liquidazione-dichiarazione.html"_qs;
    if (c == u"dati versamento"_qs)
        return u"liquidazione-versamenti.html"_qs;
    return {};
}

} // namespace

const QString HelpBook::UnavailableText = QStringLiteral("Guida in linea non disponibile.");

HelpBook::HelpBook(QString root) : m_root(std::move(root))
{
    const QString index = readText(m_root + u"/indice.txt"_qs);
    for (const QString &line : index.split(u'\n')) {
        const qsizetype bar = line.indexOf(u'|');
        if (bar <= 0)
            continue;
        const QString file = line.left(bar).trimmed();
        if (QFile::exists(m_root + u'/' + file))
            m_pages.emplace_back(file, line.mid(bar + 1).trimmed());
    }
}

QString HelpBook::title(const QString &file) const
{
    for (const auto &[f, t] : m_pages)
        if (f == file)
            return t;
    return {};
}

QString HelpBook::urlOf(const QString &file) const
{
    return m_root.startsWith(u':') ? u"qrc"_qs + m_root + u'/' + file
                                   : QUrl::fromLocalFile(m_root + u'/' + file).toString();
}

QStringList HelpBook::search(const QString &text) const
{
    const QStringList words = text.simplified().toLower().split(u' ', Qt::SkipEmptyParts);
    QStringList found;
    if (words.isEmpty())
        return found;
    static const QRegularExpression tags(u"<[^>]*>"_qs);
    for (const auto &[file, title] : m_pages) {
        QString body = readText(m_root + u'/' + file);
        body.replace(tags, u" "_qs);
        body = (title + u' ' + body).toLower();
        bool all = true;
        for (const QString &w : words)
            all = all && body.contains(w);
        if (all)
            found << file;
    }
    return found;
}

QString HelpBook::pageFor(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (const auto *tabs = qobject_cast<const QTabWidget *>(w);
            tabs && tabs->objectName() == u"stbLiquidazioneIva"_qs && tabs->currentIndex() >= 0) {
            const QString page = pageOfTab(tabs->tabText(tabs->currentIndex()));
            if (!page.isEmpty())
                return page;
        }
        const auto it = pageOfName().constFind(w->objectName());
        if (it != pageOfName().constEnd())
            return *it;
    }
    return indexPage();
}

frmHelp::frmHelp(const HelpBook &book, QWidget *parent) : QWidget(parent, Qt::Window), m_book(book)
{
    setObjectName(u"frmHelp"_qs);
    setWindowTitle(u"Guida - Liquidazione I.V.A."_qs);

    auto *left = new QWidget(this);
    txtCerca = new QLineEdit(left);
    txtCerca->setObjectName(u"txtCerca"_qs);
    txtCerca->setPlaceholderText(u"Parole da cercare"_qs);
    txtCerca->setClearButtonEnabled(true);
    auto *cerca = new QPushButton(u"&Cerca"_qs, left);
    cerca->setObjectName(u"cmdCerca"_qs);
    auto *indice = new QPushButton(u"&Indice"_qs, left);
    indice->setObjectName(u"cmdIndice"_qs);
    lstIndice = new QListWidget(left);
    lstIndice->setObjectName(u"lstIndice"_qs);
    auto *row = new QHBoxLayout;
    row->addWidget(txtCerca, 1);
    row->addWidget(cerca);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addLayout(row);
    leftLayout->addWidget(lstIndice, 1);
    leftLayout->addWidget(indice);

    txtPagina = new QTextBrowser(this);
    txtPagina->setObjectName(u"txtPagina"_qs);
    txtPagina->setOpenExternalLinks(true);

    auto *split = new QSplitter(this);
    split->addWidget(left);
    split->addWidget(txtPagina);
    split->setStretchFactor(1, 1);
    split->setSizes({340, 940});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split);

    connect(cerca, &QPushButton::clicked, this, [this] { find(txtCerca->text()); });
    connect(txtCerca, &QLineEdit::returnPressed, this, [this] { find(txtCerca->text()); });
    connect(indice, &QPushButton::clicked, this, [this] {
        txtCerca->clear();
        QStringList all;
        for (const auto &[file, title] : m_book.pages())
            all << file;
        listPages(all);
    });
    connect(lstIndice, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item && !item->data(Qt::UserRole).toString().isEmpty() && item->data(Qt::UserRole) != m_current)
            showPage(item->data(Qt::UserRole).toString());
    });
    connect(txtPagina, &QTextBrowser::sourceChanged, this, [this](const QUrl &url) {
        m_current = url.fileName();
        setWindowTitle(m_book.title(m_current) + u" - Guida - Liquidazione I.V.A."_qs);
    });

    QStringList all;
    for (const auto &[file, title] : m_book.pages())
        all << file;
    listPages(all);
    resize(1000, 700);
}

void frmHelp::listPages(const QStringList &files)
{
    const QSignalBlocker block(lstIndice);
    lstIndice->clear();
    for (const QString &file : files) {
        auto *item = new QListWidgetItem(m_book.title(file), lstIndice);
        item->setData(Qt::UserRole, file);
        if (file == m_current)
            lstIndice->setCurrentItem(item);
    }
    if (files.isEmpty()) {
        auto *item = new QListWidgetItem(u"Nessuna pagina contiene le parole cercate."_qs, lstIndice);
        item->setFlags(Qt::NoItemFlags);
    }
}

void frmHelp::showPage(const QString &file)
{
    const QString page = m_book.title(file).isEmpty() ? HelpBook::indexPage() : file;
    m_current = page;
    txtPagina->setSource(QUrl(m_book.urlOf(page)));
    for (int i = 0; i < lstIndice->count(); ++i)
        if (lstIndice->item(i)->data(Qt::UserRole).toString() == page) {
            const QSignalBlocker block(lstIndice);
            lstIndice->setCurrentRow(i);
        }
}

void frmHelp::find(const QString &text)
{
    txtCerca->setText(text);
    listPages(m_book.search(text));
}

} // namespace liqiva
