// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "tags/ui/EditorGenres.h"
#include "tags/ui/TagForm.h"

namespace {

constexpr int ClientWidth = 520;
constexpr int ClientHeight = 401;
constexpr int CaptionX = 12;
constexpr int ValueX = 112;
constexpr int RowHeight = 21;

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
    Image->setGeometry(ClientWidth - 16 - 12 - 36 - 4, 12, 36, 36);
    Image->setAlignment(Qt::AlignCenter);
    return page;
}

QWidget* Tfrmtaginfo::BuildInfoPage()
{
    auto* page = Named(new QWidget, "tsInfo");
    constexpr int wide = 368;
    edtFilename = InfoRow(page, "&Filename:", new QLineEdit(page), "edtFilename", 12, wide);
    edtFilename->setEnabled(false);
    edtTitle = InfoRow(page, "&Track title:", new QLineEdit(page), "edtTitle", 38, wide);
    edtArtist = InfoRow(page, "&Artist:", new QLineEdit(page), "edtArtist", 64, wide);
    edtAlbum = InfoRow(page, "A&lbum:", new QLineEdit(page), "edtAlbum", 90, wide);
    edtYear = InfoRow(page, "&Year:", new QLineEdit(page), "edtYear", 116, 80);
    edtNumber = new QSpinBox(page);
    edtNumber->setRange(0, 65535);  // ID3's largest track number
    Named(edtNumber, "edtNumber")->setGeometry(ValueX + wide - 80, 116, 80, RowHeight);
    auto* numberCaption = new QLabel("Track &Number:", page);
    numberCaption->setBuddy(edtNumber);
    numberCaption->setGeometry(ValueX + 120, 116, wide - 80 - 124, RowHeight);
    numberCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edtGenre = InfoRow(page, "&Genre:", new QComboBox(page), "edtGenre", 142, 200);
    edtGenre->setEditable(true);
    edtGenre->setInsertPolicy(QComboBox::NoInsert);
    edtGenre->addItems(EditorGenreNames());
    edtGenre->setMaxVisibleItems(16);
    edtCopyright = InfoRow(page, "&Copyright:", new QLineEdit(page), "edtCopyright", 168, wide);
    edtURL = InfoRow(page, "&URL:", new QLineEdit(page), "edtURL", 194, wide);
    edtEncoded = InfoRow(page, "&Encoded by:", new QLineEdit(page), "edtEncoded", 220, wide);
    edtComment = InfoRow(page, "Co&mment:", new QPlainTextEdit(page), "edtComment", 246, wide);
    edtComment->resize(wide, 64);
    edtComment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return page;
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
    btnOK = Named(new QPushButton("OK", this), "btnOK");
    btnOK->setGeometry(ClientWidth - 8 - 88 - 6 - 88, y, 88, 25);
    btnOK->setDefault(true);
    btnCancel = Named(new QPushButton("Cancel", this), "btnCancel");
    btnCancel->setGeometry(ClientWidth - 8 - 88, y, 88, 25);
    connect(btnOK, &QPushButton::clicked, this, &Tfrmtaginfo::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    UpdateActions();
}

void Tfrmtaginfo::WatchEdits()
{
    const auto modified = [this] { Modified = true; };
    for (QLineEdit* edit :
         {edtFilename, edtTitle, edtArtist, edtAlbum, edtYear, edtCopyright, edtURL, edtEncoded})
        connect(edit, &QLineEdit::textChanged, this, modified);
    connect(edtNumber, &QSpinBox::valueChanged, this, modified);
    connect(edtGenre, &QComboBox::editTextChanged, this, modified);
    connect(edtComment, &QPlainTextEdit::textChanged, this, modified);
}
