// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/MainForm.h"

#include "app/ui/LoudnessBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QPointer>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/FormatAvailability.h"
#include "app/OutputPlan.h"
#include "app/ui/AboutForm.h"
#include "app/ui/ColorBox.h"
#include "app/ui/HeaderBand.h"
#include "app/ui/ShellActions.h"
#include "app/ui/SongList.h"
#include "engine/Encoder.h"
#include "platform/ProgramFolder.h"
#include "platform/ui/MessageBox.h"
#include "tags/ui/TagForm.h"

namespace {

struct PriorityItem {
    const char* caption;
    std::int32_t value;
};
const PriorityItem PriorityItems[] = {
    {"Idle", PriorityIdle}, {"Normal", PriorityNormal}, {"High", PriorityHigh}, {"Realtime", PriorityRealtime}};

int PriorityIndexOf(std::int32_t value)
{
    for (int i = 0; i < 4; ++i)
        if (PriorityItems[i].value == value)
            return i;
    return -1;
}

// Values outside the list leave the control's choice as it stands.
void SelectIndex(QComboBox* box, int index)
{
    if (index >= 0 && index < box->count())
        box->setCurrentIndex(index);
}

void SelectText(QComboBox* box, const std::string& text)
{
    box->setCurrentIndex(box->findText(QString::fromStdString(text), Qt::MatchFixedString));
}

std::uint8_t IndexOr(const QComboBox* box, std::uint8_t fallback)
{
    return box->currentIndex() < 0 ? fallback : static_cast<std::uint8_t>(box->currentIndex());
}

std::string TextOf(const QComboBox* box) { return box->currentText().toStdString(); }

}  // namespace

TfrmMain::TfrmMain()
{
    setObjectName("frmMain");
    setWindowTitle(appui::ApplicationTitle);
    appui::RegisterArtwork();
    setWindowIcon(QIcon(":/icon"));
    QFont tahoma("Tahoma");
    tahoma.setPointSize(8);
    setFont(tahoma);

    BuildActions();
    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    HeaderBand = new appui::HeaderBand(client, 98, "bkg", "mft");
    Image = HeaderBand->Image;
    ImgFont = HeaderBand->ImgFont;
    column->addWidget(HeaderBand);
    PageControl = new QTabWidget(client);
    PageControl->setObjectName("PageControl");
    tsConverter = BuildConverterPage();
    tsSettings = BuildSettingsPage();
    PageControl->addTab(tsConverter, "Converter");
    PageControl->addTab(tsSettings, "Settings");
    column->addWidget(PageControl, 1);
    setCentralWidget(client);

    StatusBar = statusBar();
    StatusBar->setObjectName("StatusBar");
    spPendingfiles = new QLabel(StatusBar);
    spPendingfiles->setObjectName("spPendingfiles");
    spPendingfiles->setMinimumWidth(200);
    StatusBar->addWidget(spPendingfiles);
    spSkippedfiles = new QLabel(StatusBar);
    spSkippedfiles->setObjectName("spSkippedfiles");
    StatusBar->addWidget(spSkippedfiles, 1);
    spRunSummary = new QLabel(StatusBar);
    spRunSummary->setObjectName("spRunSummary");
    StatusBar->addPermanentWidget(spRunSummary);

    TrayIcon = new QSystemTrayIcon(windowIcon(), this);
    TrayIcon->setObjectName("TrayIcon");

    resize(715, 575);
    // A large scale factor leaves a small desktop: the window fits it, and
    // its pages scroll.
    if (const QScreen* desktop = screen()) {
        resize(size().boundedTo(desktop->availableGeometry().size()));
        move(desktop->availableGeometry().center() - rect().center());
    }
    outputTimer_ = new QTimer(this);
    outputTimer_->setSingleShot(true);
    outputTimer_->setInterval(100);
    BuildListMenu();
    ConnectHandlers();
    ConnectOutputPlan();
    FormCreate();
}

TfrmMain::~TfrmMain() = default;  // FormDestroy: the engine object goes with the window

void TfrmMain::FormCreate()
{
    SettingsFile = platform::ProgramFolder() / "Options.ini";
    CurrentFormat = engine::NoFormat;
    CurrentOptions.clear();
    ConvertedFiles.clear();
    // The list may still paint while the window is being destroyed.
    lvSongs->SetResultColor([color = QPointer<appui::ColorBox>(cmbColor)] {
        return color ? color->SelectedColor() : QColor(Qt::red);
    });
}

void TfrmMain::ConnectHandlers()
{
    connect(lvSongs, &appui::SongList::FilesDropped, this, &TfrmMain::FilesDropped);
    connect(lvSongs, &QTreeWidget::itemSelectionChanged, this, [this] {
        ShowCounts();
        UpdateActions();
    });
    connect(actAddfiles, &QAction::triggered, this, &TfrmMain::actAddfilesExecute);
    connect(actAddfolder, &QAction::triggered, this, &TfrmMain::actAddfolderExecute);
    connect(lvSongs, &appui::SongList::DeletePressed, this, [this] {
        if (actDelsel->isEnabled())
            actDelsel->trigger();
    });
    connect(actDelsel, &QAction::triggered, this, &TfrmMain::actDelselExecute);
    connect(actDelall, &QAction::triggered, this, &TfrmMain::actDelallExecute);
    connect(actEditTag, &QAction::triggered, this, &TfrmMain::actEditTagExecute);
    connect(actConvertion, &QAction::triggered, this, &TfrmMain::actConvertionExecute);
    connect(edtTargetFolderButton, &QAction::triggered, this, &TfrmMain::edtTargetFolderButtonClick);
    connect(menuHelp, &QAction::triggered, this, &TfrmMain::menuHelpClick);
    connect(menuHomepage, &QAction::triggered, this, &TfrmMain::menuHomepageClick);
    connect(menuAbout, &QAction::triggered, this, &TfrmMain::menuAboutClick);
    connect(cmbFormat, &QComboBox::activated, this, &TfrmMain::cmbFormatChange);
    connect(cmbConfig, &QComboBox::activated, this, &TfrmMain::cmbConfigChange);
    connect(btnConfig, &QPushButton::clicked, this, &TfrmMain::btnConfigClick);
    connect(chkAdjustVolume, &QCheckBox::toggled, this, &TfrmMain::chkAdjustVolumeClick);
    connect(chkWhenFinished, &QCheckBox::toggled, this, &TfrmMain::chkWhenFinishedClick);
    connect(rdOriginalName, &QRadioButton::toggled, this, &TfrmMain::rdOriginalNameClick);
    connect(rdCustomName, &QRadioButton::toggled, this, &TfrmMain::rdCustomNameClick);
    connect(cmbColor, &QComboBox::currentIndexChanged, lvSongs->viewport(), qOverload<>(&QWidget::update));
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    FormShow();
}

void TfrmMain::FormShow()
{
    try {
        Encoder = std::make_unique<TEncoder>(this);
    } catch (const std::exception& error) {
        engineFailed_ = true;
        platform::ShowError(this, error.what());
        hide();
        // The event loop may not be running yet: end the program from it.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(1); });
        return;
    }
    const QString names = QString::fromStdString(TEncoder::GetFormatNames());
    cmbFormat->addItems(names.split(QRegularExpression("[\r\n]+"), Qt::SkipEmptyParts));
    cmbFormat->setCurrentIndex(-1);
    MarkUnavailableFormats();
    LoadSettings(SettingsFile);
}

// Shown, so the list matches the other programs, but not to be chosen.
void TfrmMain::MarkUnavailableFormats()
{
    auto* items = qobject_cast<QStandardItemModel*>(cmbFormat->model());
    for (int position = 0; items && position < cmbFormat->count(); ++position) {
        const std::string reason = app::FormatUnavailableReason(engine::FormatIndexOfListPosition(position));
        if (reason.empty())
            continue;
        items->item(position)->setEnabled(false);
        items->item(position)->setToolTip(QString::fromStdString(reason));
    }
}

app::NamingChoice TfrmMain::OutputNaming() const
{
    app::NamingChoice naming;
    naming.targetFolder = edtTargetFolder->text().toStdString();
    naming.customName = rdCustomName->isChecked();
    naming.prefix = cmbPrefix->currentText().toStdString();
    naming.portableNames = chkPortableNames->isChecked();
    naming.format = CurrentFormat;
    return naming;
}

void TfrmMain::ConnectOutputPlan()
{
    connect(outputTimer_, &QTimer::timeout, this, &TfrmMain::ShowOutputs);
    connect(edtTargetFolder, &QLineEdit::textChanged, this, &TfrmMain::ScheduleOutputs);
    connect(cmbPrefix, &QComboBox::editTextChanged, this, &TfrmMain::ScheduleOutputs);
    connect(rdCustomName, &QRadioButton::toggled, this, &TfrmMain::ScheduleOutputs);
    connect(chkPortableNames, &QCheckBox::toggled, this, &TfrmMain::ScheduleOutputs);
    connect(lvSongs, &QTreeWidget::itemSelectionChanged, this, &TfrmMain::ShowSample);
}

void TfrmMain::ScheduleOutputs() { outputTimer_->start(); }

// Every entry's tags are read, so a run's own changes wait for its end.
void TfrmMain::ShowOutputs()
{
    if (RunActive)
        return;
    std::vector<std::filesystem::path> inputs;
    for (int row = 0; row < EntryCount(); ++row)
        inputs.push_back(EntryPath(row));
    const app::NamingChoice naming = OutputNaming();
    const std::vector<app::PlannedOutput> plans = app::PlanOutputs(inputs, naming);
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (int row = 0; row < EntryCount(); ++row) {
        const app::PlannedOutput& plan = plans[std::size_t(row)];
        QTreeWidgetItem* item = Entry(row);
        const std::string shown = plan.path.empty() ? plan.reason : app::ShownOutput(plan.path, naming.targetFolder);
        item->setText(appui::ColOutput, QString::fromStdString(shown));
        item->setData(appui::ColOutput, appui::OutputMarkRole, QString::fromStdString(plan.reason));
        item->setIcon(appui::ColOutput, plan.mark == app::OutputMark::None ? QIcon() : warning);
    }
    ShowSample();
}

// The selected entry's output, or the first entry's when none is selected.
void TfrmMain::ShowSample()
{
    const QList<QTreeWidgetItem*> selected = lvSongs->selectedItems();
    const QTreeWidgetItem* item = selected.isEmpty() ? Entry(0) : selected.front();
    if (!item) {
        lblSample_->setText("Sample: add files to the list to see their output names here");
        lblSample_->setToolTip(QString());
        return;
    }
    lblSample_->setText("Sample: \"" + item->text(appui::ColName) + "\" becomes \"" +
                        item->text(appui::ColOutput) + "\"");
    lblSample_->setToolTip(lblSample_->text());
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (RunActive) {
        event->ignore();
        if (!CloseRequested &&
            platform::AskYesNo(this, "A conversion is running. Stop it and close the program?")) {
            CloseRequested = true;
            emit RunStopRequested();
        }
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
}

void TfrmMain::FormClose()
{
    if (engineFailed_ || !shown_)
        return;
    SaveSettings(SettingsFile);
    ConvertedFiles.clear();
}

void TfrmMain::LoadSettings(const std::filesystem::path& settingsFile)
{
    const app::StoredSettings settings = app::ReadSettings(settingsFile);
    GlobaVariant = settings.Options;
    PresetLists = settings.PresetLists;
    cmbColor->Select(settings.ResultFontColor);
    for (int column = 0; column < app::ColumnCount; ++column)
        lvSongs->header()->resizeSection(
            column, std::clamp(settings.ColumnWidths[column], lvSongs->header()->minimumSectionSize(), 4000));
    lvSongs->FillWidth();
    ShowRecord(settings);
}

void TfrmMain::ShowRecord(const app::StoredSettings& settings)
{
    const TGlobaVariant& record = settings.Options;
    edtTargetFolder->setText(QString::fromStdString(record.TargetFolder));
    SelectText(cmbFormat, record.OutFormat);
    cmbFormatChange();
    SelectText(cmbConfig, record.Outconfig);
    cmbConfigChange();
    chkAdjustVolume->setChecked(record.AdjustVolume);
    chkAdjustVolumeClick();
    SpinEditAdjustVolume->setValue(record.AdjustVolumeValue);
    chkAutoSaveTag->setChecked(record.SaveTag);
    chkDelOrig->setChecked(record.DeleteOriginalFile);
    SelectIndex(cmbthreadPriority, PriorityIndexOf(record.ThreadPriority));
    chkWhenFinished->setChecked(record.CanDoEvent);
    chkWhenFinishedClick();
    SelectIndex(cmbDoEvent, record.FinishDoEvent);
    SelectIndex(cmbFileexist, record.WhenFileExist);
    if (record.OutputFileMode == 0)
        rdOriginalName->setChecked(true);
    else if (record.OutputFileMode == 1)
        rdCustomName->setChecked(true);
    rdOriginalNameClick();
    rdCustomNameClick();
    cmbPrefix->setEditText(QString::fromStdString(record.Prefix));
    SpinEditSimultaneousJobs->setValue(record.SimultaneousJobs);
    chkPortableNames->setChecked(record.PortableFileNames);
    grpLoudness->Show(record);
}

app::StoredSettings TfrmMain::TakeRecord() const
{
    app::StoredSettings settings;
    TGlobaVariant& record = settings.Options;
    record = GlobaVariant;
    record.TargetFolder = edtTargetFolder->text().toStdString();
    record.OutFormat = TextOf(cmbFormat);
    record.Outconfig = TextOf(cmbConfig);
    record.Prefix = TextOf(cmbPrefix);
    record.AdjustVolume = chkAdjustVolume->isChecked();
    record.AdjustVolumeValue = SpinEditAdjustVolume->value();
    record.SaveTag = chkAutoSaveTag->isChecked();
    record.DeleteOriginalFile = chkDelOrig->isChecked();
    record.CanDoEvent = chkWhenFinished->isChecked();
    if (cmbthreadPriority->currentIndex() >= 0)
        record.ThreadPriority = PriorityItems[cmbthreadPriority->currentIndex()].value;
    record.FinishDoEvent = IndexOr(cmbDoEvent, record.FinishDoEvent);
    record.WhenFileExist = IndexOr(cmbFileexist, record.WhenFileExist);
    record.SimultaneousJobs = SpinEditSimultaneousJobs->value();
    record.PortableFileNames = chkPortableNames->isChecked();
    grpLoudness->Take(record);
    if (rdOriginalName->isChecked())
        record.OutputFileMode = 0;
    else if (rdCustomName->isChecked())
        record.OutputFileMode = 1;
    settings.ResultFontColor = cmbColor->Selected();
    for (int column = 0; column < app::ColumnCount; ++column)
        settings.ColumnWidths[column] = lvSongs->header()->sectionSize(column);
    settings.PresetLists = PresetLists;
    return settings;
}

void TfrmMain::SaveSettings(const std::filesystem::path& settingsFile)
{
    const app::StoredSettings settings = TakeRecord();
    GlobaVariant = settings.Options;
    if (!app::WriteSettings(settingsFile, settings))
        platform::ShowWarning(this, "The settings could not be saved to\n" + settingsFile.string());
}

void TfrmMain::edtTargetFolderButtonClick()
{
    const QString folder = QFileDialog::getExistingDirectory(this, "Select a folder", edtTargetFolder->text(),
                                                             QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty())
        edtTargetFolder->setText(folder);
}

void TfrmMain::chkAdjustVolumeClick() { SpinEditAdjustVolume->setEnabled(chkAdjustVolume->isChecked()); }

void TfrmMain::chkWhenFinishedClick() { cmbDoEvent->setEnabled(chkWhenFinished->isChecked()); }

void TfrmMain::rdOriginalNameClick() { cmbPrefix->setEnabled(!rdOriginalName->isChecked()); }

void TfrmMain::rdCustomNameClick() { cmbPrefix->setEnabled(rdCustomName->isChecked()); }

void TfrmMain::menuHelpClick() { appui::OpenHelp(this); }

void TfrmMain::menuHomepageClick() { appui::OpenHomePage(); }

void TfrmMain::menuAboutClick()
{
    TfrmAbout about(this);
    about.exec();
}

namespace {

void RunSeam(const std::function<void()>& seam)
{
    if (seam)
        seam();
}

}  // namespace

void TfrmMain::cmbFormatChange()
{
    RunSeam(OnFormatChange);
    ScheduleOutputs();
}
void TfrmMain::cmbConfigChange() { RunSeam(OnConfigChange); }
void TfrmMain::btnConfigClick() { RunSeam(OnConfigClick); }
void TfrmMain::actConvertionExecute() { RunSeam(OnConvertion); }
// One selected entry: the editor gets every path of the list and starts on
// it. Several: it edits the selected ones together, in list order.
void TfrmMain::actEditTagExecute()
{
    if (OnEditTag) {
        OnEditTag();
        return;
    }
    const QList<QTreeWidgetItem*> selected = lvSongs->selectedItems();
    if (selected.empty())
        return;
    Tfrmtaginfo editor(this);
    editor.Engine = Encoder.get();
    editor.EditAll = selected.size() > 1;
    for (int row = 0; row < EntryCount(); ++row)
        if (!editor.EditAll || lvSongs->topLevelItem(row)->isSelected())
            editor.FileList.push_back(EntryPath(row));
    editor.FileIndex = editor.EditAll ? 0 : lvSongs->indexOfTopLevelItem(selected.front());
    editor.exec();
}
