#include "ui/qt/main_window.hpp"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTemporaryFile>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>
#include <new>

#ifdef PELICARD_HAVE_MULTIMEDIA
#include <QSoundEffect>
#endif

#include "common/report.hpp"
#include "common/text.hpp"
#include "ui/attachment_commands.hpp"
#include "ui/commands.hpp"
#include "ui/decoding_options.hpp"
#include "ui/layout.hpp"
#include "ui/list_split.hpp"
#include "ui/qt/attachment_pane.hpp"
#include "ui/store_commands.hpp"
#include "ui/mailbox_commands.hpp"
#include "ui/qt/icons.hpp"
#include "ui/qt/folder_pane.hpp"
#include "ui/qt/message_list_view.hpp"
#include "ui/qt/recovery_rows.hpp"
#include "ui/qt/split_handle.hpp"
#include "ui/qt/qt_printer.hpp"
#include "ui/window_logic.hpp"

namespace pelicard::qt {
namespace {

// The outer frame of the window around its client area, in twips: the
// borders, and the title bar with the menu bar.
constexpr int kFrameWidth = 120;
constexpr int kFrameHeight = 750;
// Width of the "Annuler" button at the right end of the progress bar's place.
constexpr int kCancelWidth = 900;

QString ToQ(const std::string& cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }
std::string FromQ(const QString& text) { return Utf8ToCp1252(text.toStdString()); }
QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Dialog texts may come as Windows-1252 or, for paths, as UTF-8: a text that
// is valid UTF-8 with a multi-byte character is taken as UTF-8.
QString DialogText(const std::string& s) {
    bool multiByte = false;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        if (c >= 0xC2 && c <= 0xDF) extra = 1;
        else if (c >= 0xE0 && c <= 0xEF) extra = 2;
        else if (c >= 0xF0 && c <= 0xF4) extra = 3;
        else if (c >= 0x80) return ToQ(s);
        if (i + extra >= s.size() && extra > 0) return ToQ(s);
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return ToQ(s);
        multiByte = multiByte || extra > 0;
        i += extra + 1;
    }
    return multiByte ? QString::fromStdString(s) : ToQ(s);
}

// "Label (*.a;*.b)|*.a;*.b" as Qt writes a filter: "Label (*.a *.b)".
QString QtFilter(const std::string& filter) {
    QStringList out;
    const QStringList parts = DialogText(filter).split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        const qsizetype open = label.indexOf(QLatin1Char('('));
        if (open >= 0) label = label.left(open).trimmed();
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << label + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

QString BodyToQ(const std::string& cp1252) {
    QString t = ToQ(cp1252);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

std::string BodyFromQ(QString t) {
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return FromQ(t);
}

QToolButton* PictureButton(QWidget* parent, const char* name, const QString& caption, const QString& tip,
                           Picture picture) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setToolTip(tip);
    b->setIcon(DrawPicture(picture));
    b->setIconSize(QSize(24, 24));
    b->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextUnderIcon);
    return b;
}

}  // namespace

MainWindow::MainWindow(State& s, QWidget* parent) : QMainWindow(parent), s_(s) {
    setObjectName(QStringLiteral("frmPelicard"));
    setWindowTitle(U("Extraction des messages d'un gestionnaire de messagerie"));
    setWindowIcon(ProgramIcon());
    // The layout is drawn in twips for the system's small dialog font.
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8);
    setFont(font);
    s_.window = this;
    s_.dialogs = this;
    s_.sound = this;
    s_.help = this;
    BuildMenus();
    BuildControls();
    BuildStatusBar();
    // Input is sorted while a command runs (see DropsInput).
    qApp->installEventFilter(this);
    // The smallest window: 11055 x 8100 twips, outer size.
    client_->setMinimumSize(ToPixelsX(kMinWindowWidth - kFrameWidth), ToPixelsY(kMinWindowHeight - kFrameHeight));
    resize(ToPixelsX(kMinWindowWidth - kFrameWidth),
           ToPixelsY(kMinWindowHeight - kFrameHeight) + menuBar()->sizeHint().height());
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    if (hourglass_) QApplication::restoreOverrideCursor();
    // The state outlives the window in tests: leave it with harmless ports.
    State fresh;
    if (s_.window == this) s_.window = fresh.window;
    if (s_.dialogs == this) s_.dialogs = fresh.dialogs;
    if (s_.sound == this) s_.sound = fresh.sound;
    if (s_.help == this) s_.help = fresh.help;
}

int MainWindow::ToPixelsX(int twips) const { return static_cast<int>(std::lround(twips * logicalDpiX() / 1440.0)); }
int MainWindow::ToPixelsY(int twips) const { return static_cast<int>(std::lround(twips * logicalDpiY() / 1440.0)); }
int MainWindow::ToTwipsX(int pixels) const { return static_cast<int>(std::lround(pixels * 1440.0 / logicalDpiX())); }
int MainWindow::ToTwipsY(int pixels) const { return static_cast<int>(std::lround(pixels * 1440.0 / logicalDpiY())); }

QAction* MainWindow::AddAction(QMenu* menu, const char* name, const QString& caption,
                               const std::function<void()>& handler) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    controls_[name] = a;
    if (handler) {
        const std::string procedure = std::string(name) + "_Click";
        connect(a, &QAction::triggered, this, [this, a, handler, procedure](bool checked) {
            // A menu item's check mark is the program's to set, not the click's.
            if (a->isCheckable()) a->setChecked(!checked);
            Run(procedure.c_str(), handler);
        });
    }
    return a;
}

void MainWindow::BuildMenus() {
    auto separator = [this](QMenu* m, const char* name) {
        QAction* a = m->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        controls_[name] = a;
    };
    auto menu = [this](const char* name, const QString& title) {
        QMenu* m = menuBar()->addMenu(title);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        controls_[name] = m->menuAction();
        return m;
    };
    State& s = s_;
    QMenu* files = menu("mnuFiles", U("Fichiers"));
    AddAction(files, "mnuFileDbx", U("Fichier dbx à traiter"), [&s] { mnuFileDbx_Click(s); });
    AddAction(files, "mnuFileWM", U("Dossier de Windows Mail à traiter"), [&s] { mnuFileWM_Click(s); });
    AddAction(files, "mnuFileStore", U("Magasin complet…"), [&s] { mnuFileStore_Click(s); });
    QMenu* saveStore = files->addMenu(U("Enregistrer tout le magasin…"));
    saveStore->menuAction()->setObjectName(QStringLiteral("mnuSaveStore"));
    controls_["mnuSaveStore"] = saveStore->menuAction();
    AddAction(saveStore, "mnuSaveStoreTxt", U("en fichiers texte"), [&s] { mnuSaveStore_Click(s, false); });
    AddAction(saveStore, "mnuSaveStoreNws", U("sous leur forme originale (Nws et Eml)"),
              [&s] { mnuSaveStore_Click(s, true); });
    saveStore->menuAction()->setEnabled(false);
    AddAction(files, "mnuRecover", U("Récupérer les messages supprimés…"), [&s] { mnuRecover_Click(s); });
    separator(files, "mnu0");
    // Taking the mail to another client.
    QMenu* mailbox = files->addMenu(U("Exporter vers un autre logiciel de messagerie"));
    mailbox->setObjectName(QStringLiteral("mnuMailbox"));
    mailbox->menuAction()->setObjectName(QStringLiteral("mnuMailbox"));
    controls_["mnuMailbox"] = mailbox->menuAction();
    AddAction(mailbox, "mnuMailboxMbox", U("Format mbox (Thunderbird, KMail, Evolution, mutt, Apple Mail)"),
              [&s] { mnuMailboxMbox_Click(s); });
    AddAction(mailbox, "mnuMailboxMaildir", U("Format Maildir"), [&s] { mnuMailboxMaildir_Click(s); });
    separator(mailbox, "mnuMailboxSep");
    AddAction(mailbox, "mnuMailboxStoreMbox", U("Tout le magasin au format mbox"), [&s] { mnuMailboxStore_Click(s, false); })
        ->setEnabled(false);
    AddAction(mailbox, "mnuMailboxStoreMaildir", U("Tout le magasin au format Maildir"),
              [&s] { mnuMailboxStore_Click(s, true); })
        ->setEnabled(false);
    AddAction(files, "mnuPrinter", U("Imprimante"), [&s] { mnuPrinter_Click(s); });
    separator(files, "mnu1");
    AddAction(files, "mnuQuit", U("Sortie"), [&s] { mnuQuit_Click(s); });

    QMenu* edit = menu("mnuEdit", U("Éditions"));
    QAction* all = AddAction(edit, "mnuSelectAll", U("Sélection de tous les messages"), [this, &s] {
        mnuSelectAll_Click(s);
        list_->setFocus();
    });
    all->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    all->setShortcutContext(Qt::WindowShortcut);
    all->setEnabled(false);

    QMenu* display = menu("mnuDisplay", U("Affichage"));
    AddAction(display, "mnuConfirm(0)", U("Ne pas demander confirmation de l'enregistrement des options"),
              [&s] { mnuConfirm_Click(s, 0); })
        ->setCheckable(true);
    AddAction(display, "mnuConfirm(1)", U("Demander confirmation de l'enregistrement des options"),
              [&s] { mnuConfirm_Click(s, 1); })
        ->setCheckable(true);

    QMenu* options = menu("mnuOptions", U("Options"));
    AddAction(options, "mnuGrouping", U("Messages groupés par conversation"), [&s] { mnuGrouping_Click(s); })
        ->setCheckable(true);
    AddAction(options, "mnuSelection", U("Messages groupés par sélection"), [&s] { mnuSelection_Click(s); })
        ->setCheckable(true);
    separator(options, "mnu2");
    AddAction(options, "mnuStorage", U("Dossier de stockage"), [&s] { mnuStorage_Click(s); });
    separator(options, "mnuTextSep");
    AddAction(options, "mnuFullDecoding", U("Décodage complet des messages (normes Internet)"),
              [&s] { mnuFullDecoding_Click(s); })
        ->setCheckable(true);
    AddAction(options, "mnuUtf8Files", U("Fichiers texte en UTF-8"), [&s] { mnuUtf8Files_Click(s); })
        ->setCheckable(true);

    QMenu* help = menu("mnuAide", U("?"));
    AddAction(help, "mnuHelp", U("Aide"), [&s] { mnuHelp_Click(s); });
    separator(help, "mnu4");
    AddAction(help, "mnuAbout", U("À propos"), [&s] { mnuAbout_Click(s); });

    // F1 opens the help, as the help key of the program's help file does.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] { Run("mnuHelp_Click", [this] { ShowHelp(); }); });
}

void MainWindow::BuildControls() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    client_->installEventFilter(this);
    State& s = s_;

    auto frame = [this](const char* name, const QString& title) {
        auto* f = new QGroupBox(title, client_);
        f->setObjectName(QString::fromLatin1(name));
        controls_[name] = f;
        return f;
    };
    auto button = [this](QWidget* parent, const char* name, const QString& caption, const QString& tip,
                         Picture picture, const std::function<void()>& handler) {
        QToolButton* b = PictureButton(parent, name, caption, tip, picture);
        controls_[name] = b;
        const std::string procedure = std::string(name) + "_Click";
        connect(b, &QToolButton::clicked, this, [this, handler, procedure] { Run(procedure.c_str(), handler); });
        return b;
    };

    QGroupBox* open = frame("fraOpen", U("Choisir"));
    button(open, "cmdOpen(0)", U("Fichier dbx"), U("Ouvrir un fichier dbx de OE"), Picture::OpenDbx,
           [&s] { cmdOpen_Click(s, 0); });
    button(open, "cmdOpen(1)", U("Dossier WM"), U("Ouvrir un dossier Windows Mail"), Picture::OpenFolder,
           [&s] { cmdOpen_Click(s, 1); });
    QGroupBox* grouping = frame("fraGrouping", U("Étendre"));
    button(grouping, "cmdGrouping", U("à la discussion"),
           U("Grouper tous les messages relatifs à la même discussion que le message sélectionné"),
           Picture::Grouping, [&s] { cmdGrouping_Click(s); });
    QGroupBox* all = frame("fraAllRecord", U("Enregistrer"));
    button(all, "cmdAllTxt", U("Txt"), U("Enregistrer les messages sélectionnés sous forme de fichiers textes"),
           Picture::SaveText, [&s] { cmdAllTxt_Click(s); });
    QToolButton* raw = button(all, "cmdAllNws", U("Nws et Eml"),
                              U("Enregistrer les messages sélectionnés sous leur forme originale"), Picture::SaveRaw,
                              [&s] { cmdAllNws_Click(s); });
    // Beside it, in its menu: the complete copy, past the first attachment.
    auto* rawMenu = new QMenu(raw);
    AddAction(rawMenu, "cmdAllComplete", U("Copie complète (avec les pièces jointes)"),
              [&s] { cmdAllComplete_Click(s); });
    AddAction(rawMenu, "mnuSaveAttachments", U("Pièces jointes des messages sélectionnés"),
              [&s] { cmdSaveAttachments_Click(s); });
    raw->setMenu(rawMenu);
    raw->setPopupMode(QToolButton::MenuButtonPopup);
    QGroupBox* mod = frame("fraModRecord", U("Enregistrer les modifications"));
    button(mod, "cmdModTxt", U("Txt"), U("Enregistrer le message modifié sous forme d'un fichier texte"),
           Picture::SaveText, [&s] { cmdModTxt_Click(s); });
    button(mod, "cmdModNws", U("Nws et Eml"),
           U("Enregistrer le message dont l'objet a été modifié sous sa forme originale"), Picture::SaveRaw,
           [&s] { cmdModNws_Click(s); });
    QGroupBox* printing = frame("fraPrinting", U("Imprimer"));
    button(printing, "cmdPrint", U("Format texte"), U("Imprimer les messages sélectionnés sous forme de texte brut"),
           Picture::Print, [&s] { cmdPrint_Click(s); });
    button(client_, "cmdUp", QString(), QString(), Picture::Up, [&s] { cmdUp_Click(s); });
    button(client_, "cmdDown", QString(), QString(), Picture::Down, [&s] { cmdDown_Click(s); });

    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, client_);
        l->setObjectName(QString::fromLatin1(name));
        controls_[name] = l;
        return l;
    };
    QLabel* lvw = label("lblLvw", U("Liste des messages"));
    {
        // On the line of lblLvw, at its right: the pointer to the complete
        // decoding when the list shows encoded words.
        auto* row = new QHBoxLayout(lvw);
        row->setContentsMargins(0, 0, 0, 0);
        row->addStretch(1);
        auto* hint = new QLabel(lvw);
        hint->setObjectName(QStringLiteral("lblDecoding"));
        hint->setStyleSheet(QStringLiteral("color: #8b0000;"));
        controls_["lblDecoding"] = hint;
        row->addWidget(hint);
        hint->hide();
    }
    label("lblTxt", U("Affichage et modification des messages sélectionnés"));
    const QString second = U("\nElle affectera les enregistrements en format texte et les impressions.");
    for (const auto& [name, text] :
         {std::pair{"lblGrouping", U("L'option 'Messages groupés par conversation' est activée.")},
          std::pair{"lblSelection", U("L'option 'Messages groupés par sélection' est activée.")}}) {
        QLabel* l = label(name, text + second);
        l->setStyleSheet(QStringLiteral("color: #8b0000;"));
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->hide();
    }
    // The handle under the list takes the band of these labels: they let the
    // mouse through to it.
    for (const char* name : {"lblTxt", "lblGrouping", "lblSelection"})
        qobject_cast<QWidget*>(Find(name))->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* split = new SplitHandle(client_);
    split->setObjectName(QStringLiteral("splMessages"));
    controls_["splMessages"] = split;
    split->lower();
    connect(split, &SplitHandle::dragStarted, this, [this] { dragFrom_ = listPlace_[3]; });
    connect(split, &SplitHandle::dragged, this, [this, &s](int dy) {
        const int height = dragFrom_ + ToTwipsY(dy);
        Run("splMessages_Drag", [&s, height] { splMessages_Drag(s, height); });
    });

    list_ = new MessageListView(client_);
    list_->setObjectName(QStringLiteral("lvwMessages"));
    controls_["lvwMessages"] = list_;
    // Messages found by the recovery scan show their state.
    list_->SetRowMarker([this](int entry) { return RecoveryMark(s_, entry); });
    // Subjects and senders the complete decoding read beyond Windows-1252.
    list_->SetRowCompanion([this](int entry, int column) -> const std::string* {
        if (entry < 1) return nullptr;
        const auto k = static_cast<std::size_t>(entry);
        if (s_.list.Mode == StoreMode::WindowsMail) {
            if (k >= s_.list.Wm.size()) return nullptr;
            return column == 0 ? &s_.list.Wm[k].SubjectU8 : &s_.list.Wm[k].SenderU8;
        }
        if (k >= s_.list.Oe.size()) return nullptr;
        return column == 0 ? &s_.list.Oe[k].U8.Subject() : &s_.list.Oe[k].U8.Sender();
    });
    list_->setHeaderLabels({U("Objet"), U("Émetteur"), U("Date"), U("Dates pour tri"), U("ID")});
    for (int c = 0; c < 5; ++c) {
        if (kColumnWidths[c] == 0) list_->setColumnHidden(c, true);
        else list_->setColumnWidth(c, ToPixelsX(kColumnWidths[c]));
    }
    connect(list_, &MessageListView::clickedInList, this, [this, &s] {
        Run("lvwMessages_Click", [&s] { lvwMessages_Click(s); });
    });
    connect(list_, &MessageListView::keyReleased, this, [this, &s](int key) {
        Run("lvwMessages_KeyUp", [&s, key] { lvwMessages_KeyUp(s, key); });
    });
    connect(list_->header(), &QHeaderView::sectionClicked, this, [this, &s](int column) {
        Run("lvwMessages_ColumnClick", [&s, column] { lvwMessages_ColumnClick(s, column); });
    });
    list_->installEventFilter(this);

    folders_ = new FolderPane(client_);
    folders_->setObjectName(QStringLiteral("tvwFolders"));
    controls_["tvwFolders"] = folders_;
    folders_->hide();
    connect(folders_, &FolderPane::folderClicked, this, [this, &s](int row) {
        Run("tvwFolders_Click", [&s, row] { tvwFolders_Click(s, row); });
    });

    auto* subject = new QLineEdit(client_);
    subject->setObjectName(QStringLiteral("txtSubject"));
    controls_["txtSubject"] = subject;
    connect(subject, &QLineEdit::textChanged, this, [this, &s] {
        Run("txtSubject_Change", [&s] { txtSubject_Change(s); });
    });
    subject->installEventFilter(this);
    auto* body = new QPlainTextEdit(client_);
    body->setObjectName(QStringLiteral("txtBody"));
    controls_["txtBody"] = body;
    QFont arial(QStringLiteral("Arial"), 10);
    body->setFont(arial);
    connect(body, &QPlainTextEdit::textChanged, this, [this, &s] {
        Run("txtBody_Change", [&s] { txtBody_Change(s); });
    });
    body->installEventFilter(this);
    body->viewport()->installEventFilter(this);

    attachments_ = new AttachmentPane(client_);
    controls_["cmdSaveAttachments"] = attachments_->SaveButton();
    connect(attachments_->SaveButton(), &QPushButton::clicked, this, [this, &s] {
        Run("cmdSaveAttachments_Click", [&s] { cmdSaveAttachments_Click(s); });
    });

    auto* bar = new QProgressBar(client_);
    bar->setObjectName(QStringLiteral("Bar"));
    bar->setRange(0, 100);
    bar->setTextVisible(false);
    bar->hide();
    controls_["Bar"] = bar;
    // Beside the bar while a long command runs: stops it between two messages.
    cancel_ = new QPushButton(U("Annuler"), client_);
    cancel_->setObjectName(QStringLiteral("cmdCancel"));
    cancel_->setToolTip(U("Arrêter la commande en cours ; les fichiers déjà enregistrés sont gardés"));
    cancel_->setFocusPolicy(Qt::NoFocus);
    cancel_->hide();
    controls_["cmdCancel"] = cancel_;
    connect(cancel_, &QPushButton::clicked, this, [this] { s_.CancelRequested = true; });
    auto* end = new QLineEdit(U("Opération terminée"), client_);
    end->setObjectName(QStringLiteral("txtEnd"));
    end->setReadOnly(true);
    end->setAlignment(Qt::AlignCenter);
    end->setFocusPolicy(Qt::NoFocus);
    end->hide();
    controls_["txtEnd"] = end;

    for (const ControlPlace& p : StartLayout()) Move(p.name, p.left, p.top, p.width, p.height);
}

void MainWindow::BuildStatusBar() {
    statBar_ = new QFrame(client_);
    statBar_->setObjectName(QStringLiteral("statBar"));
    controls_["statBar"] = statBar_;
    for (int i = 0; i < 6; ++i) {
        panels_[i] = new QLabel(statBar_);
        panels_[i]->setObjectName(QStringLiteral("statBar(%1)").arg(i + 1));
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panels_[i]->setContentsMargins(1, 0, 0, 0);
        panelWidths_[i] = kPanelWidths[i];
    }
    // After a save, over the middle panels until the next action: a link that
    // opens the folder in the desktop's file manager.
    written_ = new QLabel(statBar_);
    written_->setObjectName(QStringLiteral("lblWritten"));
    written_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    written_->setTextFormat(Qt::RichText);
    written_->setAutoFillBackground(true);
    written_->hide();
    controls_["lblWritten"] = written_;
    connect(written_, &QLabel::linkActivated, this,
            [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
    // The bar and the end notice sit over the last panels.
    if (auto* w = qobject_cast<QWidget*>(Find("Bar"))) w->raise();
    if (auto* w = qobject_cast<QWidget*>(Find("txtEnd"))) w->raise();
    cancel_->raise();
    LayOutStatusBar();
}

void MainWindow::LayOutStatusBar() {
    const int h = ToPixelsY(kStatusBarHeight);
    statBar_->setGeometry(0, client_->height() - h, client_->width(), h);
    int x = 0;
    for (int i = 0; i < 6; ++i) {
        const int w = ToPixelsX(panelWidths_[i]);
        panels_[i]->setGeometry(x, 1, std::max(w - 2, 0), h - 2);
        x += w;
    }
    PlaceWritten();
}

// The notice of the last save starts over panel 3 and reaches the notice
// «Opération terminée» (or the end of the bar); a text longer than that
// covers panel 2 too, and is cut with "…" only beyond (its tooltip has the
// folder).
void MainWindow::PlaceWritten() {
    if (!written_ || written_->isHidden()) return;
    const int h = ToPixelsY(kStatusBarHeight);
    int right = statBar_->width() - 2;
    if (auto* end = qobject_cast<QWidget*>(Find("txtEnd")); end && !end->isHidden()) right = end->x() - 2;
    const QFontMetrics metrics = written_->fontMetrics();
    const int margins = 8;
    const int need = metrics.horizontalAdvance(writtenText_) + margins;
    const int left = std::max(panels_[1]->x(), std::min(panels_[2]->x(), right - need));
    written_->setGeometry(left, 1, std::max(right - left, 0), h - 2);
    const QString shown = metrics.elidedText(writtenText_, Qt::ElideRight, right - left - margins).toHtmlEscaped();
    written_->setText(writtenLink_.isEmpty() ? shown : QStringLiteral("<a href=\"%1\">%2</a>").arg(writtenLink_, shown));
}

QObject* MainWindow::Find(std::string_view control) const {
    auto it = controls_.find(std::string(control));
    return it == controls_.end() ? nullptr : it->second;
}

void MainWindow::Run(const char* procedure, const std::function<void()>& handler) {
    if (unloaded_ || closePending_) return;
    ++running_;
    try {
        try {
            handler();
            // The attachments of the message shown after the outermost command.
            if (running_ == 1) {
                auto* body = qobject_cast<QPlainTextEdit*>(Find("txtBody"));
                RefreshAttachments(s_, body && !body->document()->isEmpty());
            }
        } catch (const Fault& f) {
            EndOnFault(s_, procedure, f);
        } catch (const std::bad_alloc&) {
            EndOnFault(s_, procedure, Fault(faults::kOutOfMemory));
        } catch (const std::exception& e) {
            EndOnFault(s_, procedure, Fault(e.what()));
        }
    } catch (const ProgramEnding&) {
        closePending_ = true;
    }
    --running_;
    // A close asked for while a command ran (the close box during a list
    // build, or the end of the program) waits for the outermost command.
    if (running_ == 0 && closePending_) {
        closePending_ = false;
        close();
    }
}

void MainWindow::Load() {
    show();
    Run("Form_Load", [this] {
        if (onLoad) onLoad(s_);
        if (!s_.Quitting) DisableCommands(s_);
    });
    if (!s_.Quitting) RestoreSize();
}

// The size of the last run, as far as the screen holds it; the window's
// frame (title bar, borders) and the menu bar stay on the screen too.
void MainWindow::RestoreSize() {
    const QScreen* screen = this->screen();
    if (!screen) return;
    const QRect space = screen->availableGeometry();
    const QSize frame = frameGeometry().size() - geometry().size();
    const int menu = menuBar()->sizeHint().height();
    const WindowSize size =
        RememberedWindowSize(s_.app.extra, ToTwipsX(space.width() - frame.width()) + kFrameWidth,
                             ToTwipsY(space.height() - frame.height() - menu) + kFrameHeight);
    if (size.width == kMinWindowWidth && size.height == kMinWindowHeight) return;
    resize(ToPixelsX(size.width - kFrameWidth), ToPixelsY(size.height - kFrameHeight) + menu);
    // Moved back onto the screen when it now reaches past its edge.
    const QRect outer = frameGeometry();
    const int x = std::max(space.left(), std::min(outer.left(), space.right() + 1 - outer.width()));
    const int y = std::max(space.top(), std::min(outer.top(), space.bottom() + 1 - outer.height()));
    if (x != outer.left() || y != outer.top()) move(x, y);
}

// ---- WindowPort -----------------------------------------------------------

void MainWindow::SetText(std::string_view control, const std::string& text) {
    if (control == "frmPelicard") {
        setWindowTitle(ToQ(text));
        return;
    }
    QObject* o = Find(control);
    if (auto* e = qobject_cast<QLineEdit*>(o)) e->setText(ToQ(text));
    else if (auto* b = qobject_cast<QPlainTextEdit*>(o)) b->setPlainText(BodyToQ(text));
    else if (auto* l = qobject_cast<QLabel*>(o)) l->setText(ToQ(text));
    else if (auto* g = qobject_cast<QGroupBox*>(o)) g->setTitle(ToQ(text));
    else if (auto* t = qobject_cast<QAbstractButton*>(o)) t->setText(ToQ(text));
    else if (auto* a = qobject_cast<QAction*>(o)) a->setText(ToQ(text));
}

// The editors in Unicode, for the texts of the complete decoding.
void MainWindow::SetTextUtf8(std::string_view control, const std::string& utf8) {
    QObject* o = Find(control);
    QString t = QString::fromStdString(utf8);
    if (auto* e = qobject_cast<QLineEdit*>(o)) {
        e->setText(t);
    } else if (auto* b = qobject_cast<QPlainTextEdit*>(o)) {
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        b->setPlainText(t);
    } else {
        SetText(control, Utf8ToCp1252(utf8));
    }
}

std::string MainWindow::GetTextUtf8(std::string_view control) {
    QObject* o = Find(control);
    if (auto* e = qobject_cast<QLineEdit*>(o)) return e->text().toStdString();
    if (auto* b = qobject_cast<QPlainTextEdit*>(o)) {
        QString t = b->document()->toRawText();
        t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        return t.toStdString();
    }
    return Cp1252ToUtf8(GetText(control));
}

std::string MainWindow::GetText(std::string_view control) {
    if (control == "frmPelicard") return FromQ(windowTitle());
    QObject* o = Find(control);
    if (auto* e = qobject_cast<QLineEdit*>(o)) return FromQ(e->text());
    if (auto* b = qobject_cast<QPlainTextEdit*>(o)) return BodyFromQ(b->document()->toRawText());
    if (auto* l = qobject_cast<QLabel*>(o)) return FromQ(l->text());
    if (auto* g = qobject_cast<QGroupBox*>(o)) return FromQ(g->title());
    if (auto* t = qobject_cast<QAbstractButton*>(o)) return FromQ(t->text());
    if (auto* a = qobject_cast<QAction*>(o)) return FromQ(a->text());
    return {};
}

void MainWindow::SetEnabled(std::string_view control, bool on) {
    QObject* o = Find(control);
    if (auto* w = qobject_cast<QWidget*>(o)) w->setEnabled(on);
    else if (auto* a = qobject_cast<QAction*>(o)) a->setEnabled(on);
}

bool MainWindow::IsEnabled(std::string_view control) {
    QObject* o = Find(control);
    // A control's own state, whatever its frame's.
    if (auto* w = qobject_cast<QWidget*>(o)) return w->isEnabledTo(w->parentWidget());
    if (auto* a = qobject_cast<QAction*>(o)) return a->isEnabled();
    return false;
}

void MainWindow::SetVisible(std::string_view control, bool on) {
    // The notice of the last save goes with "Opération terminée".
    if (control == "txtEnd" && !on) written_->hide();
    QObject* o = Find(control);
    if (auto* w = qobject_cast<QWidget*>(o)) w->setVisible(on);
    else if (auto* a = qobject_cast<QAction*>(o)) a->setVisible(on);
    if (control == "tvwFolders") PlaceListAndPane();
    if (control == "txtEnd") PlaceWritten();
}

// The list keeps its place while no store is open; with a store, the pane
// takes the left part of that place.
void MainWindow::PlaceListAndPane() {
    const int* p = listPlace_;
    const int pane = std::min(3000, p[2] / 3), gap = 60;
    const bool shown = folders_ && !folders_->isHidden();
    if (!shown) {
        list_->setGeometry(ToPixelsX(p[0]), ToPixelsY(p[1]), ToPixelsX(p[2]), ToPixelsY(p[3]));
    } else {
        folders_->setGeometry(ToPixelsX(p[0]), ToPixelsY(p[1]), ToPixelsX(pane), ToPixelsY(p[3]));
        list_->setGeometry(ToPixelsX(p[0] + pane + gap), ToPixelsY(p[1]), ToPixelsX(p[2] - pane - gap), ToPixelsY(p[3]));
    }
    // The column "Objet" gives up the pane's width, so that the date stays in sight.
    const int cut = shown ? pane + gap : 0;
    if (cut != subjectCut_) {
        subjectCut_ = cut;
        FitSubjectColumn();
    }
}

void MainWindow::FitSubjectColumn() {
    list_->setColumnWidth(0, ToPixelsX(std::max(subjectWidth_ - subjectCut_, kColumnWidths[0] / 2)));
}

bool MainWindow::IsVisible(std::string_view control) {
    QObject* o = Find(control);
    if (auto* w = qobject_cast<QWidget*>(o)) return w->isVisibleTo(w->parentWidget());
    if (auto* a = qobject_cast<QAction*>(o)) return a->isVisible();
    return false;
}

void MainWindow::SetChecked(std::string_view control, bool on) {
    if (auto* a = qobject_cast<QAction*>(Find(control))) {
        a->setCheckable(true);
        a->setChecked(on);
    }
}

void MainWindow::Move(std::string_view control, int left, int top, int width, int height) {
    if (control == "Bar" && cancel_) {
        // «Annuler» takes the right end of the bar's place, so that the
        // panels left of the bar (the phase, the number selected) stay in sight.
        const QRect place(ToPixelsX(left), ToPixelsY(top), ToPixelsX(width), ToPixelsY(height));
        const int w = ToPixelsX(kCancelWidth);
        cancel_->setGeometry(place.right() + 1 - w, place.top(), w, place.height());
        if (auto* bar = qobject_cast<QWidget*>(Find("Bar"))) bar->setGeometry(place.adjusted(0, 0, -w - ToPixelsX(60), 0));
        return;
    }
    if (control == "lvwMessages" && list_) {
        listPlace_[0] = left, listPlace_[1] = top, listPlace_[2] = width, listPlace_[3] = height;
        PlaceListAndPane();
        return;
    }
    auto* w = qobject_cast<QWidget*>(Find(control));
    if (!w) return;
    const QRect place(ToPixelsX(left), ToPixelsY(top), ToPixelsX(width), ToPixelsY(height));
    if (control == "txtBody") {
        bodyPlace_ = place;
        attachments_->LayOut(w, place, ToPixelsY(kAttachmentPaneHeight));
        return;
    }
    w->setGeometry(place);
}

void MainWindow::SetAttachmentRows(const std::vector<AttachmentRow>& rows) {
    attachments_->SetRows(rows);
    if (auto* body = qobject_cast<QWidget*>(Find("txtBody")))
        attachments_->LayOut(body, bodyPlace_.isValid() ? bodyPlace_ : body->geometry(), ToPixelsY(kAttachmentPaneHeight));
}

std::vector<int> MainWindow::SelectedAttachmentRows() { return attachments_->SelectedRows(); }

void MainWindow::SetPanelText(int panel, const std::string& text) {
    if (panel >= 1 && panel <= 6) panels_[panel - 1]->setText(ToQ(text));
}

void MainWindow::ShowFilesWritten(const std::string& text, const std::string& folder) {
    const QString path = QString::fromStdString(folder);
    writtenText_ = ToQ(text);
    writtenLink_ = path.isEmpty() ? QString() : QUrl::fromLocalFile(path).toString().toHtmlEscaped();
    written_->setToolTip(path.isEmpty() ? QString() : U("Ouvrir le dossier ") + path);
    written_->show();
    written_->raise();
    PlaceWritten();
}

void MainWindow::SetPanelWidth(int panel, int twips) {
    if (panel < 1 || panel > 6) return;
    panelWidths_[panel - 1] = std::max(twips, 0);
    LayOutStatusBar();
}

void MainWindow::ShowProgress(bool visible) {
    if (auto* w = qobject_cast<QWidget*>(Find("Bar"))) w->setVisible(visible);
    cancel_->setVisible(visible);
}

void MainWindow::SetProgress(double value) {
    if (auto* b = qobject_cast<QProgressBar*>(Find("Bar")))
        b->setValue(static_cast<int>(std::clamp(value, 0.0, 100.0)));
}

void MainWindow::ListClear() { list_->Clear(); }
int MainWindow::ListAddRow(const std::string& text) { return list_->AddRow(text); }
void MainWindow::ListAddSubItem(int row, const std::string& text) { list_->AddSubItem(row, text); }
int MainWindow::ListRowCount() { return list_->RowCount(); }
std::string MainWindow::ListCellText(int row, int column) { return list_->CellText(row, column); }
bool MainWindow::ListIsSelected(int row) { return list_->IsSelected(row); }
void MainWindow::ListSetSelected(int row, bool on) { list_->SetSelected(row, on); }
void MainWindow::ListSetSorting(bool sorted, int sortKey, bool descending) {
    list_->SetSorting(sorted, sortKey, descending);
}
void MainWindow::ListSetColumnWidth(int column, int twips) {
    if (column < 1 || column > 5) return;
    if (twips <= 0) {
        list_->setColumnHidden(column - 1, true);
    } else if (column == 1) {
        subjectWidth_ = twips;
        FitSubjectColumn();
    } else {
        list_->setColumnWidth(column - 1, ToPixelsX(twips));
    }
}

void MainWindow::FolderPaneClear() { folders_->Clear(); }
void MainWindow::FolderPaneAdd(int parent, const std::string& text, const std::string& tip, bool greyed) {
    folders_->Add(parent, text, tip, greyed);
}
void MainWindow::FolderPaneSelect(int row) { folders_->Select(row); }

MsgResult MainWindow::MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                                 MsgButtons buttons) {
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
        case MsgIcon::Information: qicon = QMessageBox::Information; break;
        case MsgIcon::Exclamation: qicon = QMessageBox::Warning; break;
        case MsgIcon::Critical: qicon = QMessageBox::Critical; break;
        case MsgIcon::Question: qicon = QMessageBox::Question; break;
        case MsgIcon::None: break;
    }
    const bool yesNo = buttons == MsgButtons::YesNo;
    QMessageBox box(qicon, ToQ(title), ToQ(text),
                    yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, isVisible() ? this : nullptr);
    if (yesNo) box.setDefaultButton(QMessageBox::No);
    // The hourglass is not the pointer of a question.
    if (hourglass_) QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = box.exec();
    if (hourglass_) QApplication::restoreOverrideCursor();
    if (!yesNo) return MsgResult::Ok;
    return answer == QMessageBox::Yes ? MsgResult::Yes : MsgResult::No;
}

void MainWindow::SetHourglass(bool on) {
    if (on == hourglass_) return;
    hourglass_ = on;
    if (on) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

void MainWindow::DoEvents() {
    list_->Flush();
    // Every pending event runs, input included: the input aimed at the window
    // while a command runs is dropped by DropsInput (it is never queued to
    // start a command once this one ends), but "Annuler" and the close box
    // are heard.
    QCoreApplication::processEvents();
}

bool MainWindow::DropsInput(QObject* watched, QEvent* event) {
    if (running_ == 0) return false;
    switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && IsInWindow(watched))
                s_.CancelRequested = true;
            [[fallthrough]];
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            break;
        case QEvent::ShortcutOverride:
            // Taken by the widget: no shortcut (Ctrl+A, F1 …) fires either.
            if (!IsInWindow(watched)) return false;
            event->accept();
            return true;
        default:
            return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!IsInWindow(watched) || widget == cancel_ || cancel_->isAncestorOf(widget)) return false;
    return true;
}

bool MainWindow::IsInWindow(QObject* watched) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    // The boxes and dialogs a command opens are windows of their own.
    return widget && widget->window() == this;
}

void MainWindow::Beep() { QApplication::beep(); }

void MainWindow::Close() { close(); }

// ---- DialogsPort ----------------------------------------------------------

bool MainWindow::OpenFile(const std::string& filter, const std::string& title, const std::string& start,
                          std::string& chosen) {
    QString dir = QString::fromStdString(start);
    const QFileInfo info(dir);
    // A start such as "folder/*.dbx" opens on the folder.
    if (info.fileName().contains(QLatin1Char('*'))) dir = info.path();
    const QString file =
        QFileDialog::getOpenFileName(isVisible() ? this : nullptr, DialogText(title), dir, QtFilter(filter));
    if (file.isEmpty()) return false;
    chosen = file.toStdString();
    return true;
}

std::string MainWindow::PickFolder(const std::string& title, const std::string& defaultFolder) {
    return QFileDialog::getExistingDirectory(isVisible() ? this : nullptr, DialogText(title),
                                             QString::fromStdString(defaultFolder))
        .toStdString();
}

bool MainWindow::ChoosePrinter() {
    if (!printer_) return false;
    QPrintDialog dialog(&printer_->printer(), this);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    return dialog.exec() == QDialog::Accepted;
}

// ---- SoundPort, HelpPort --------------------------------------------------

void MainWindow::PlayDone() {
#ifdef PELICARD_HAVE_MULTIMEDIA
    if (doneWav_.isEmpty()) return;
    if (!soundFile_) {
        soundFile_ = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/pelicard-XXXXXX.wav"));
        if (!soundFile_->open() || soundFile_->write(doneWav_) != doneWav_.size() || !soundFile_->flush()) {
            soundFile_.reset();
            return;
        }
        auto* effect = new QSoundEffect(this);
        effect->setSource(QUrl::fromLocalFile(soundFile_->fileName()));
        sound_ = effect;
    }
    // Without an audio device the effect stays silent; that is no error.
    if (auto* effect = qobject_cast<QSoundEffect*>(sound_)) effect->play();
#endif
}

void MainWindow::ShowHelp() {
    if (!helpWindow_) {
        auto* dialog = new QDialog(this);
        dialog->setObjectName(QStringLiteral("frmHelp"));
        dialog->setWindowTitle(U("Aide de Pelicard"));
        auto* browser = new QTextBrowser(dialog);
        browser->setObjectName(QStringLiteral("txtHelp"));
        browser->setHtml(helpHtml_);
        browser->setOpenExternalLinks(false);
        auto* layout = new QVBoxLayout(dialog);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(browser);
        dialog->resize(ToPixelsX(9000), ToPixelsY(7500));
        helpWindow_ = dialog;
    }
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

// ---- Events ---------------------------------------------------------------

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (DropsInput(watched, event)) return true;
    if (watched == client_ && event->type() == QEvent::Resize) {
        int w = ToTwipsX(client_->width()) + kFrameWidth;
        int h = ToTwipsY(client_->height()) + kFrameHeight;
        Run("Form_Resize", [&] { Form_Resize(s_, w, h, isMinimized()); });
        LayOutStatusBar();
        return false;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // Ctrl+A selects every message wherever the focus is, editors included.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_A && (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
            event->ignore();
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonPress) {
        QObject* subject = Find("txtSubject");
        auto* body = qobject_cast<QPlainTextEdit*>(Find("txtBody"));
        if (watched == subject) Run("txtSubject_Click", [this] { txtSubject_Click(s_); });
        else if (body && watched == body->viewport()) Run("txtBody_Click", [this] { txtBody_Click(s_); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!unloaded_ && running_ > 0) {
        // The shutdown releases the tables that the running command uses:
        // the command is stopped as "Annuler" does, and the window closes
        // once it has returned.
        s_.CancelRequested = true;
        closePending_ = true;
        event->ignore();
        return;
    }
    // The close box with edits not saved: asked first (QuitProgram's close,
    // after the question or a fatal fault, is not).
    if (!unloaded_ && !s_.Quitting && !MayDropEdits(s_)) {
        event->ignore();
        return;
    }
    if (!unloaded_) {
        unloaded_ = true;
        // The size for the next run (that of the window not maximised).
        const QRect g = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
        if (g.isValid())
            RememberWindowSize(s_.app.extra, ToTwipsX(g.width()) + kFrameWidth,
                               ToTwipsY(g.height() - menuBar()->sizeHint().height()) + kFrameHeight);
        try {
            if (onUnload) onUnload(s_);
        } catch (const ProgramEnding&) {
        } catch (const std::exception&) {
        }
        s_.Quitting = true;
        if (helpWindow_) helpWindow_->close();
    }
    event->accept();
}

}  // namespace pelicard::qt
