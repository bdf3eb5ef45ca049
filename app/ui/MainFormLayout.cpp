// SPDX-License-Identifier: GPL-3.0-or-later
// Building the main window's controls; the handlers live in MainForm.cpp and
// FileList.cpp.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/ui/ColorBox.h"
#include "app/ui/HeaderBand.h"
#include "app/ui/LoudnessBox.h"
#include "app/ui/MainForm.h"
#include "app/ui/PatternBox.h"
#include "app/ui/SongList.h"

namespace {

template <typename Control>
Control* Named(Control* control, const char* name)
{
    control->setObjectName(name);
    return control;
}

QComboBox* DropDownList(QWidget* parent, const char* name, const QStringList& items)
{
    auto* box = Named(new QComboBox(parent), name);
    box->addItems(items);
    return box;
}

// A button that stands for an action: its caption may differ from the
// action's, its enabling follows it, and a click triggers it.
QPushButton* ActionButton(QWidget* parent, const char* name, const QString& caption, QAction* action)
{
    auto* button = Named(new QPushButton(caption, parent), name);
    button->setEnabled(action->isEnabled());
    QObject::connect(action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    return button;
}

QAction* NamedAction(QObject* owner, const char* name, const QString& caption)
{
    return Named(new QAction(caption, owner), name);
}

// A page that scrolls when the window is smaller than the page's controls
// need, as at a large scale factor.
QScrollArea* Scrolling(QWidget* page, const char* name)
{
    auto* area = Named(new QScrollArea, name);
    area->setWidget(page);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

}  // namespace

void TfrmMain::BuildActions()
{
    actAddfiles = NamedAction(this, "actAddfiles", "Add Files");
    actAddfolder = NamedAction(this, "actAddfolder", "Add Folder");
    actDelsel = NamedAction(this, "actDelsel", "Delete selected");
    actDelall = NamedAction(this, "actDelall", "Delete all");
    actEditTag = NamedAction(this, "actEditTag", "Edit Tag");
    actConvertion = NamedAction(this, "actConvertion", "Start Convertion");
    menuHelp = NamedAction(this, "menuHelp", "&Help");
    menuHomepage = NamedAction(this, "menuHomepage", "Home page");
    menuAbout = NamedAction(this, "menuAbout", "About...");
    actQuit_ = NamedAction(this, "actQuit", "Quit");
    for (QAction* action : {actDelsel, actDelall, actEditTag, actConvertion})
        action->setEnabled(false);
    actAddfiles->setShortcut(QKeySequence::Open);
    actAddfolder->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_O);
    actConvertion->setShortcuts({Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter});
    menuHelp->setShortcut(QKeySequence::HelpContents);
    // The platform's standard Quit key may be none at all.
    actQuit_->setShortcut(Qt::CTRL | Qt::Key_Q);
    // Shown in the menus; the list itself takes the key, as in a text field
    // it deletes characters.
    actDelsel->setShortcut(QKeySequence::Delete);
    actDelsel->setShortcutContext(Qt::WidgetShortcut);
    addActions({actAddfiles, actAddfolder, actConvertion, menuHelp, actQuit_});
    connect(actQuit_, &QAction::triggered, this, &QWidget::close);
}

QWidget* TfrmMain::BuildConverterPage()
{
    auto* page = Named(new QWidget, "tsConverterPage");
    auto* column = new QVBoxLayout(page);

    lvSongs = Named(new appui::SongList(page), "lvSongs");
    lvSongs->setMinimumHeight(120);
    column->addWidget(lvSongs, 1);

    auto* buttons = new QHBoxLayout;
    btnAddFiles = ActionButton(page, "btnAddFiles", "Add Files", actAddfiles);
    btnAddFolder = ActionButton(page, "btnAddFolder", "Add Folder", actAddfolder);
    btnDelete = Named(new QPushButton("Delete", page), "btnDelete");
    PopupMenuDel = Named(new QMenu(btnDelete), "PopupMenuDel");
    PopupMenuDel->addAction(actDelsel);
    PopupMenuDel->addAction(actDelall);
    btnDelete->setMenu(PopupMenuDel);
    btnEditTag = ActionButton(page, "btnEditTag", "Edit Tag", actEditTag);
    RzMenuButton1 = Named(new QPushButton("Help", page), "RzMenuButton1");
    PopupMenuHelp = Named(new QMenu(RzMenuButton1), "PopupMenuHelp");
    PopupMenuHelp->addAction(menuHelp);
    PopupMenuHelp->addSeparator();
    PopupMenuHelp->addAction(menuHomepage);
    PopupMenuHelp->addSeparator();
    PopupMenuHelp->addAction(menuAbout);
    RzMenuButton1->setMenu(PopupMenuHelp);
    for (QPushButton* button : {btnAddFiles, btnAddFolder, btnDelete, btnEditTag})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(RzMenuButton1);
    column->addLayout(buttons);

    auto* choices = new QGridLayout;
    edtTargetFolder = Named(new QLineEdit(page), "edtTargetFolder");
    edtTargetFolderButton = edtTargetFolder->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon),
                                                       QLineEdit::TrailingPosition);
    edtTargetFolderButton->setObjectName("edtTargetFolderButton");
    edtTargetFolderButton->setToolTip("Select a folder");
    cmbFormat = Named(new QComboBox(page), "cmbFormat");
    cmbConfig = Named(new QComboBox(page), "cmbConfig");
    btnConfig = Named(new QPushButton("Option", page), "btnConfig");
    btnConverter = ActionButton(page, "btnConverter", "Start Conversion", actConvertion);
    btnConverter->setMinimumHeight(44);
    choices->addWidget(new QLabel("Target Folder:", page), 0, 0);
    choices->addWidget(edtTargetFolder, 0, 1, 1, 4);
    choices->addWidget(new QLabel("Output Format:", page), 1, 0);
    choices->addWidget(cmbFormat, 1, 1);
    choices->addWidget(new QLabel("Preset:", page), 1, 2);
    choices->addWidget(cmbConfig, 1, 3);
    choices->addWidget(btnConfig, 1, 4);
    choices->addWidget(btnConverter, 0, 5, 2, 1);
    choices->setColumnStretch(1, 3);
    choices->setColumnStretch(3, 3);
    column->addLayout(choices);
    return Scrolling(page, "tsConverter");
}

QWidget* TfrmMain::BuildGeneralGroup()
{
    auto* group = Named(new QGroupBox("General"), "grpGeneral");
    auto* grid = new QGridLayout(group);
    chkAdjustVolume = Named(new QCheckBox("Auto adjust volum when converting: Normalize to", group), "chkAdjustVolume");
    SpinEditAdjustVolume = Named(new QSpinBox(group), "SpinEditAdjustVolume");
    SpinEditAdjustVolume->setRange(1, 100);
    SpinEditAdjustVolume->setValue(95);
    auto* volume = new QHBoxLayout;
    volume->addWidget(chkAdjustVolume);
    volume->addWidget(SpinEditAdjustVolume);
    volume->addWidget(new QLabel("%", group));
    volume->addStretch(1);
    grid->addLayout(volume, 0, 0, 1, 2);

    chkAutoSaveTag = Named(new QCheckBox("Auto save ID Tag when converting.", group), "chkAutoSaveTag");
    chkDelOrig = Named(new QCheckBox("Delete original files after conversion.", group), "chkDelOrig");
    grid->addWidget(chkAutoSaveTag, 1, 0, 1, 2);
    grid->addWidget(chkDelOrig, 2, 0, 1, 2);

    cmbthreadPriority = DropDownList(group, "cmbthreadPriority", {"Idle", "Normal", "High", "Realtime"});
    cmbthreadPriority->setCurrentIndex(1);
    grid->addWidget(new QLabel("Thread Priority", group), 3, 0);
    grid->addWidget(cmbthreadPriority, 3, 1);

    SpinEditSimultaneousJobs = Named(new QSpinBox(group), "SpinEditSimultaneousJobs");
    SpinEditSimultaneousJobs->setRange(app::MinSimultaneousJobs, app::MaxSimultaneousJobs);
    SpinEditSimultaneousJobs->setValue(app::DefaultSimultaneousJobs());
    grid->addWidget(new QLabel("Simultaneous jobs", group), 4, 0);
    grid->addWidget(SpinEditSimultaneousJobs, 4, 1, Qt::AlignLeft);

    chkWhenFinished = Named(new QCheckBox("When conversion finished", group), "chkWhenFinished");
    QFont bold = chkWhenFinished->font();
    bold.setBold(true);
    chkWhenFinished->setFont(bold);
    cmbDoEvent = DropDownList(group, "cmbDoEvent",
                              {"Close application", "Shutdown Computer", "Create play list", "Open target folder",
                               "Popup prompt dialogbox"});
    grid->addWidget(chkWhenFinished, 5, 0);
    grid->addWidget(cmbDoEvent, 5, 1);

    cmbColor = Named(new appui::ColorBox(group), "cmbColor");
    grid->addWidget(new QLabel("'Result' Font Color", group), 6, 0);
    grid->addWidget(cmbColor, 6, 1);
    grid->setColumnStretch(2, 1);
    return group;
}

QWidget* TfrmMain::BuildOutputGroup()
{
    auto* group = Named(new QGroupBox("Output"), "grpOutput");
    auto* column = new QVBoxLayout(group);
    cmbFileexist = DropDownList(group, "cmbFileexist", {"Ignore", "Overwrite", "Prompt"});
    auto* exist = new QHBoxLayout;
    exist->addWidget(new QLabel("When output file exist", group));
    exist->addWidget(cmbFileexist);
    exist->addStretch(1);
    column->addLayout(exist);

    auto* naming = Named(new QGroupBox("Filename", group), "grpFilename");
    auto* grid = new QGridLayout(naming);
    rdOriginalName = Named(new QRadioButton("Use original file-name", naming), "rdOriginalName");
    rdCustomName = Named(new QRadioButton("Use custom file-name", naming), "rdCustomName");
    rdOriginalName->setChecked(true);
    cmbPrefix = Named(new appui::PatternBox(naming), "cmbPrefix");
    cmbPrefix->addItems({"%TrackNum%", "%Album%", "%Artist%", "%Year%", "%Genre%", "%Title%", "%AlbumArtist%",
                         "%Track%", "%Disc%", "%Name%"});
    cmbPrefix->setEditText(QString());
    cmbPrefix->setEnabled(false);
    cmbPrefix->setMinimumWidth(260);
    cmbPrefix->setToolTip("With %Title% or %Name% (the input's name) this is the whole name, otherwise a prefix "
                          "to the input's name; \"/\" makes folders. Placeholders chosen from the list go in "
                          "at the cursor.");
    // Two rows fewer than one control a row: the page fits the first size.
    grid->addWidget(rdOriginalName, 0, 0, 1, 2);
    grid->addWidget(rdCustomName, 0, 2);
    auto* patternLabel = new QLabel("&Name or prefix:", naming);
    patternLabel->setBuddy(cmbPrefix);
    grid->addWidget(patternLabel, 1, 0);
    grid->addWidget(cmbPrefix, 1, 1);
    lblSample_ = Named(new QLabel(naming), "lblSample");
    lblSample_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long sample must not widen the page; its tooltip holds it whole.
    lblSample_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    grid->addWidget(lblSample_, 2, 0, 1, 3);
    chkPortableNames = Named(new QCheckBox("Portable file names", naming), "chkPortableNames");
    chkPortableNames->setToolTip("Tag values in file names avoid \\ : * ? \" < > |, which USB sticks and phones refuse");
    grid->addWidget(chkPortableNames, 1, 2);
    grid->setColumnStretch(2, 1);
    column->addWidget(naming);
    return group;
}

QWidget* TfrmMain::BuildSettingsPage()
{
    auto* page = Named(new QWidget, "tsSettingsPage");
    auto* column = new QVBoxLayout(page);
    column->addWidget(BuildGeneralGroup());
    column->addWidget(grpLoudness = new appui::LoudnessBox(page));
    column->addWidget(BuildOutputGroup());
    column->addStretch(1);
    return Scrolling(page, "tsSettings");
}
