// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "tags/ui/EditorGenres.h"
#include "tags/ui/TagForm.h"

namespace {

constexpr int ClientWidth = 660;
constexpr int ClientHeight = 424;
constexpr int CaptionX = 12;
constexpr int ValueX = 112;
constexpr int RowHeight = 21;
constexpr int FieldWidth = 300;  // the cover box takes the rest of the page

template <typename W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

QLabel* Caption(QWidget* page, const QString& text, int y, QWidget* buddy = nullptr)
{
    auto* label = new QLabel(text, page);
    label->setGeometry(CaptionX, y, ValueX - CaptionX - 4, RowHeight);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

QLabel* SummaryRow(QWidget* page, const char* caption, const char* name, int y)
{
    QLabel* title = Caption(page, caption, y);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    return Named(new QLabel(page), name);
}

template <typename W>
W* InfoRow(QWidget* page, const char* caption, W* control, const char* name, int y, int width)
{
    Named(control, name)->setGeometry(ValueX, y, width, RowHeight);
    Caption(page, caption, y, control);
    return control;
}

// A caption right-aligned before a control on the same row.
void SideCaption(QWidget* page, const QString& text, QWidget* buddy, int x)
{
    auto* label = new QLabel(text, page);
    label->setBuddy(buddy);
    label->setGeometry(x, buddy->y(), buddy->x() - x - 4, RowHeight);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

// A small button right of a field that opens its list of values.
QToolButton* ValuesButton(QWidget* page, const char* name, QWidget* field)
{
    auto* button = Named(new QToolButton(page), name);
    button->setText("...");
    button->setGeometry(field->geometry().right() + 5, field->y(), 23, RowHeight);
    button->setToolTip("Every value, one a line");
    return button;
}

QPushButton* ActionButton(QWidget* parent, const char* name, const QString& caption, QAction* action)
{
    auto* button = Named(new QPushButton(caption, parent), name);
    QObject::connect(action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    return button;
}

}  // namespace

Tfrmtaginfo::Tfrmtaginfo(QWidget* owner) : QDialog(owner)
{
    setObjectName("frmtaginfo");
    setWindowTitle("Tag Info");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    QFont tahoma("Tahoma");
    tahoma.setPointSize(8);
    setFont(tahoma);
    setFixedSize(ClientWidth, ClientHeight);

    PageControl = Named(new QTabWidget(this), "PageControl");
    PageControl->setGeometry(8, 8, ClientWidth - 16, ClientHeight - 51);
    tsSummary = BuildSummaryPage();
    tsInfo = BuildInfoPage();
    PageControl->addTab(tsSummary, "Summary");
    PageControl->addTab(tsInfo, "Info");
    PageControl->setCurrentWidget(tsInfo);
    BuildButtons();
    WatchEdits();
}

QWidget* Tfrmtaginfo::BuildSummaryPage()
{
    auto* page = Named(new QWidget, "tsSummary");
    lblPath = SummaryRow(page, "Where:", "lblPath", 12);
    lblPath->setWordWrap(true);
    lblPath->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblPath->setGeometry(ValueX, 16, 320, 44);
    struct Row {
        const char* caption;
        const char* name;
        QLabel** label;
    };
    const Row rows[] = {
        {"Kind:", "lblkind", &lblkind},
        {"Size:", "lblsize", &lblsize},
        {"Bit Rate:", "lblbitrate", &lblbitrate},
        {"Sample Rate:", "lblsamplerate", &lblsamplerate},
        {"Date Modified:", "lbldatemodified", &lbldatemodified},
        {"Last Accessed:", "lbllastaccess", &lbllastaccess},
        {"Format:", "lblformat", &lblformat},
        {"Channels:", "lblchannels", &lblchannels},
        {"Encoded with:", "lblencoded", &lblencoded},
        {"Duration:", "lblduration", &lblduration},
    };
    int y = 64;
    for (const Row& row : rows) {
        *row.label = SummaryRow(page, row.caption, row.name, y);
        (*row.label)->setGeometry(ValueX, y, 370, RowHeight);
        y += 26;
    }
    Image = Named(new QLabel(page), "Image");
    Image->setGeometry(ClientWidth - 16 - 12 - 96 - 4, 12, 96, 96);
    Image->setAlignment(Qt::AlignCenter);
    return page;
}

QWidget* Tfrmtaginfo::BuildInfoPage()
{
    auto* page = Named(new QWidget, "tsInfo");
    constexpr int wide = FieldWidth;
    const QString several = "Several values: separate them with \";\"";
    edtFilename = InfoRow(page, "&Filename:", new QLineEdit(page), "edtFilename", 12, wide);
    edtFilename->setEnabled(false);
    edtTitle = InfoRow(page, "&Track title:", new QLineEdit(page), "edtTitle", 38, wide);
    edtArtist = InfoRow(page, "&Artist:", new QLineEdit(page), "edtArtist", 64, wide - 28);
    edtArtist->setToolTip(several);
    btnArtists = ValuesButton(page, "btnArtists", edtArtist);
    connect(btnArtists, &QToolButton::clicked, this, [this] { EditValues(EditorFieldId::Artist); });
    edtAlbum = InfoRow(page, "A&lbum:", new QLineEdit(page), "edtAlbum", 90, wide);
    edtAlbumArtist = InfoRow(page, "Album a&rtist:", new QLineEdit(page), "edtAlbumArtist", 116, wide);
    edtYear = InfoRow(page, "&Year:", new QLineEdit(page), "edtYear", 142, 60);
    edtGenre = Named(new QComboBox(page), "edtGenre");
    edtGenre->setGeometry(ValueX + wide - 180, 142, 180 - 28, RowHeight);
    SideCaption(page, "&Genre:", edtGenre, ValueX + 64);
    edtGenre->setEditable(true);
    edtGenre->setInsertPolicy(QComboBox::NoInsert);
    edtGenre->addItems(EditorGenreNames());
    edtGenre->setMaxVisibleItems(16);
    edtGenre->setToolTip(several);
    btnGenres = ValuesButton(page, "btnGenres", edtGenre);
    connect(btnGenres, &QToolButton::clicked, this, [this] { EditValues(EditorFieldId::Genre); });
    edtNumber = InfoRow(page, "Track &Number:", new QLineEdit(page), "edtNumber", 168, 48);
    edtTrackTotal = Named(new QLineEdit(page), "edtTrackTotal");
    edtTrackTotal->setGeometry(ValueX + 72, 168, 48, RowHeight);
    SideCaption(page, "of", edtTrackTotal, ValueX + 48);
    edtDisc = Named(new QLineEdit(page), "edtDisc");
    edtDisc->setGeometry(ValueX + wide - 104, 168, 40, RowHeight);
    SideCaption(page, "&Disc:", edtDisc, ValueX + 124);
    edtDiscTotal = Named(new QLineEdit(page), "edtDiscTotal");
    edtDiscTotal->setGeometry(ValueX + wide - 40, 168, 40, RowHeight);
    SideCaption(page, "of", edtDiscTotal, ValueX + wide - 64);
    edtComment = InfoRow(page, "Co&mment:", new QPlainTextEdit(page), "edtComment", 194, wide);
    edtComment->resize(wide, 56);
    edtComment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edtCopyright = InfoRow(page, "&Copyright:", new QLineEdit(page), "edtCopyright", 256, wide);
    edtURL = InfoRow(page, "&URL:", new QLineEdit(page), "edtURL", 282, wide);
    edtEncoded = InfoRow(page, "&Encoded by:", new QLineEdit(page), "edtEncoded", 308, wide);
    BuildCoverBox(page);
    return page;
}

// Right of the fields: the picture at a readable size, what it is, and its
// buttons.
void Tfrmtaginfo::BuildCoverBox(QWidget* page)
{
    constexpr int x = ValueX + FieldWidth + 16;
    constexpr int width = ClientWidth - 16 - 4 - 8 - x;
    constexpr int side = 180;
    lblCover = Named(new QLabel(page), "lblCover");
    lblCover->setGeometry(x + (width - side) / 2, 12, side, side);
    lblCover->setAlignment(Qt::AlignCenter);
    lblCover->setFrameShape(QFrame::StyledPanel);
    lblCover->setAcceptDrops(true);
    lblCover->setToolTip("Drop a picture here to make it the front cover");
    lblCover->installEventFilter(this);
    int y = 12 + side + 4;
    for (auto [label, name] : {std::pair{&lblCoverType, "lblCoverType"}, std::pair{&lblCoverMime, "lblCoverMime"},
                               std::pair{&lblCoverSize, "lblCoverSize"}}) {
        *label = Named(new QLabel(page), name);
        (*label)->setGeometry(x, y, width, 18);
        (*label)->setAlignment(Qt::AlignCenter);
        y += 18;
    }
    y += 6;
    const int half = (width - 6) / 2;
    btnCoverSet = Named(new QPushButton("Add...", page), "btnCoverSet");
    btnCoverSet->setGeometry(x, y, half, 25);
    btnCoverRemove = Named(new QPushButton("Remo&ve", page), "btnCoverRemove");
    btnCoverRemove->setGeometry(x + half + 6, y, half, 25);
    btnCoverSave = Named(new QPushButton("Save p&icture as...", page), "btnCoverSave");
    btnCoverSave->setGeometry(x, y + 31, width, 25);
    connect(btnCoverSet, &QPushButton::clicked, this, &Tfrmtaginfo::ChooseCoverFile);
    connect(btnCoverRemove, &QPushButton::clicked, this, &Tfrmtaginfo::RemoveCover);
    connect(btnCoverSave, &QPushButton::clicked, this, &Tfrmtaginfo::ChooseCoverTarget);
}

void Tfrmtaginfo::BuildButtons()
{
    actPrevious = Named(new QAction("&Previous", this), "actPrevious");
    actNext = Named(new QAction("&Next", this), "actNext");
    connect(actPrevious, &QAction::triggered, this, &Tfrmtaginfo::actPreviousExecute);
    connect(actNext, &QAction::triggered, this, &Tfrmtaginfo::actNextExecute);

    constexpr int y = ClientHeight - 34;
    btnPrevious = ActionButton(this, "btnPrevious", "<<&Previous", actPrevious);
    btnPrevious->setGeometry(8, y, 88, 25);
    btnNext = ActionButton(this, "btnNext", "&Next>>", actNext);
    btnNext->setGeometry(102, y, 88, 25);
    btnNumberTracks = Named(new QPushButton("Number trac&ks", this), "btnNumberTracks");
    btnNumberTracks->setGeometry(196, y, 110, 25);
    btnNumberTracks->setToolTip("Numbers the tracks 1 to N in the order of the list, with N as the total");
    btnSave = Named(new QPushButton("&Save", this), "btnSave");
    btnSave->setGeometry(ClientWidth - 8 - 3 * 88 - 2 * 6, y, 88, 25);
    btnOK = Named(new QPushButton("OK", this), "btnOK");
    btnOK->setGeometry(ClientWidth - 8 - 88 - 6 - 88, y, 88, 25);
    btnOK->setDefault(true);
    btnCancel = Named(new QPushButton("Cancel", this), "btnCancel");
    btnCancel->setGeometry(ClientWidth - 8 - 88, y, 88, 25);
    connect(btnNumberTracks, &QPushButton::clicked, this, &Tfrmtaginfo::NumberTracksClick);
    connect(btnSave, &QPushButton::clicked, this, &Tfrmtaginfo::Save);
    connect(btnOK, &QPushButton::clicked, this, &Tfrmtaginfo::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    UpdateActions();
}

void Tfrmtaginfo::WatchEdits()
{
    const auto edited = [this] {
        if (!showing_)
            SetModified(true);
    };
    for (QWidget* control : Controls()) {
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            connect(edit, &QLineEdit::textChanged, this, edited);
    }
    connect(edtGenre, &QComboBox::editTextChanged, this, edited);
    connect(edtComment, &QPlainTextEdit::textChanged, this, edited);
}
