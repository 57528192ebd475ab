#include "app/startup.h"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <QTranslator>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "app/app_shell.h"
#include "app/client_stage.h"
#include "app/control_filter.h"
#include "app/help_window.h"
#include "app/language_menu.h"
#include "app/plot_readout_widget.h"
#include "app/recent_files_menu.h"
#include "app/translations.h"
#include "app/widgets.h"
#include "control/control_ids.h"
#include "control/controller.h"
#include "control/plot_readout.h"
#include "core/layout.h"
#include "core/settings.h"
#include "core/settings_file.h"
#include "core/span.h"
#include "core/window_memory.h"
#include "display/chart.h"
#include "display/peak_readout.h"
#include "display/status_texts.h"
#include "platform/atomic_file.h"
#include "platform/audio_device.h"
#include "platform/fixed_font.h"
#include "platform/message.h"
#include "platform/qt/qt_services.h"
#include "resources/korimu_icon.xpm"
#include "resources/menu_table.h"
#include "wave/playback.h"
#include "wave/wave_session.h"

namespace korimu {

namespace {

// Runs `action` once, as soon as `widget`'s window is shown on the screen.
class OnFirstExpose : public QObject {
 public:
  OnFirstExpose(QWindow* window, std::function<void()> action)
      : QObject(window), action_(std::move(action)) {
    window->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
      watched->removeEventFilter(this);
      // After the expose has been handled, not inside it.
      QMetaObject::invokeMethod(qApp, std::move(action_), Qt::QueuedConnection);
      deleteLater();
    }
    return false;
  }

 private:
  std::function<void()> action_;
};

void whenExposed(QWidget* widget, std::function<void()> action) {
  QWindow* window = widget->windowHandle();
  if (!window || window->isExposed()) {
    QMetaObject::invokeMethod(qApp, std::move(action), Qt::QueuedConnection);
    return;
  }
  new OnFirstExpose(window, std::move(action));
}

// A remembered place is taken only where the window's corner is on a screen that is still there.
bool onSomeScreen(const WindowPlace& place) {
  const QPoint corner(place.x, place.y);
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen->availableGeometry().adjusted(0, 0, -32, -32).contains(corner)) return true;
  return false;
}

// The caption in the window's language. A translation carries its own mnemonic ("&File"); the
// Japanese caption gets the group "(&F)" after it.
QString translatedMenuCaption(const MenuEntry& entry) {
  const QString translated = QCoreApplication::translate("Menu", entry.caption);
  if (translated == QString::fromUtf8(entry.caption))
    return QString::fromStdString(menuCaption(entry));
  return translated + QString::fromUtf8(entry.suffix);
}

bool isCheckable(int id) {
  return (id >= kWaveZoom && id <= kPinkNoiseFlatId) || (id >= kLineGraph && id <= kThickLinesId);
}

void buildMenu(AppShell& app, MainWindow* window) {
  QMenu* popup = nullptr;
  size_t popupIndex = 0;
  for (const MenuEntry& entry : korimuMenu()) {
    const QString caption = translatedMenuCaption(entry);
    switch (entry.kind) {
      case MenuEntry::kPopup:
        popup = window->menuBar()->addMenu(caption);
        if (popupIndex < app.widgets.popups.size()) app.widgets.popups[popupIndex++] = popup;
        break;
      case MenuEntry::kEndPopup:
        popup = nullptr;
        break;
      case MenuEntry::kSeparator:
        if (popup) popup->addSeparator();
        break;
      case MenuEntry::kItem: {
        if (!popup) break;
        QAction* action = popup->addAction(caption);
        const int id = entry.id;
        action->setEnabled(!entry.grayed);
        if (*entry.shortcut != '\0') action->setShortcut(QKeySequence(entry.shortcut));
        action->setCheckable(isCheckable(id));
        QObject::connect(action, &QAction::triggered, action, [&app, id, action] {
          app.controller().command(id);
          // The mark follows the program's state, not Qt's own toggling.
          if (action->isCheckable()) action->setChecked(app.widgets.menuItemChecked(id));
        });
        app.widgets.actions[id] = action;
        break;
      }
    }
  }
  addRecentFilesMenu(app);
  addLanguageMenu(app);
}

QPushButton* makeButton(AppShell& app, QWidget* parent, const char* text, int id, const Rect& r) {
  auto* button = new QPushButton(QCoreApplication::translate("Window", text), parent);
  button->setGeometry(r.x, r.y, r.w, r.h);
  button->setAutoDefault(false);
  QObject::connect(button, &QPushButton::clicked, button,
                   [&app, id] { app.controller().command(id); });
  return button;
}

QRadioButton* makeRadio(AppShell& app, QWidget* parent, const char* text, int id, const Rect& r) {
  auto* radio = new QRadioButton(QCoreApplication::translate("Window", text), parent);
  radio->setGeometry(r.x, r.y, r.w, r.h);
  radio->setAutoExclusive(false);  // the commands set every check themselves
  QObject::connect(radio, &QRadioButton::clicked, radio,
                   [&app, id] { app.controller().command(id); });
  return radio;
}

QWidget* makePanel(QWidget* parent, const Rect& r) {
  auto* panel = new QWidget(parent);
  panel->setGeometry(r.x, r.y, r.w, r.h);
  panel->setAutoFillBackground(true);
  QPalette pal = panel->palette();
  pal.setColor(QPalette::Window, QColor(kWindowColour.r, kWindowColour.g, kWindowColour.b));
  panel->setPalette(pal);
  return panel;
}

QGroupBox* makeGroup(QWidget* parent, const char* title, const Rect& r) {
  auto* group = new QGroupBox(QCoreApplication::translate("Window", title), parent);
  group->setGeometry(r.x, r.y, r.w, r.h);
  return group;
}

// The playback's timers live in the window's event loop, so the window goes on repainting while a
// playback waits: window timer 1 moves the marker, and a returned buffer that waits for its pacing
// time is handled by the pacing timer.
void makePlaybackTimers(ShellWidgets& s, WaveSession& wave) {
  QWidget* window = s.window;
  s.markerTimer = new QTimer(window);
  QObject::connect(s.markerTimer, &QTimer::timeout, s.markerTimer, [&wave] { markerTick(wave); });
  auto* pacing = new QTimer(window);
  pacing->setSingleShot(true);
  pacing->setTimerType(Qt::PreciseTimer);
  QObject::connect(pacing, &QTimer::timeout, pacing, [&wave] { pacingTimeout(wave); });
  wave.clock.pacingTimer = [guarded = QPointer<QTimer>(pacing)](uint32_t ms) {
    if (guarded) guarded->start(int(ms));
  };
}

void createChildren(AppShell& app, ClientArea* client) {
  ShellWidgets& s = app.widgets;
  const auto& r = s.layout.children;
  auto& c = s.children;
  const Rect& ov = r[kOverviewChild];
  s.overview = new OverviewWidget(app, client, ov.w, ov.h, app.clientCanvas().depthBits());
  s.overview->move(ov.x, ov.y);
  c[kOverviewChild] = s.overview;
  c[kAnalyzeButton] =
      makeButton(app, client, QT_TRANSLATE_NOOP("Window", "解析"), kAnalyzeId, r[kAnalyzeButton]);
  c[kPlayButton] =
      makeButton(app, client, QT_TRANSLATE_NOOP("Window", "再生"), kPlayId, r[kPlayButton]);
  c[kPartialButton] =
      makeButton(app, client, QT_TRANSLATE_NOOP("Window", "部分"), kPartialId, r[kPartialButton]);
  c[kStopButton] =
      makeButton(app, client, QT_TRANSLATE_NOOP("Window", "停止"), kStopId, r[kStopButton]);
  c[kNavFastBack] = makeButton(app, client, "<<<", kFastBackId, r[kNavFastBack]);
  c[kNavBack] = makeButton(app, client, "<<", kBackId, r[kNavBack]);
  c[kNavStepBack] = makeButton(app, client, "<", kStepBackId, r[kNavStepBack]);
  c[kNavStepForward] = makeButton(app, client, ">", kStepForwardId, r[kNavStepForward]);
  c[kNavForward] = makeButton(app, client, ">>", kForwardId, r[kNavForward]);
  c[kNavFastForward] = makeButton(app, client, ">>>", kFastForwardId, r[kNavFastForward]);

  // The combobox rectangle includes its drop-down list; the closed box is one line high.
  s.spanCombo = new SpanComboBox(app, client);
  // Room for six digits beside the arrow in the narrow box.
  s.spanCombo->setStyleSheet(
      "QComboBox { padding: 0px 0px 0px 2px; } QComboBox::drop-down { width: 14px; }");
  const Rect& cb = r[kSpanCombo];
  s.spanCombo->setGeometry(cb.x, cb.y, cb.w, std::min(cb.h, s.spanCombo->sizeHint().height()));
  c[kSpanCombo] = s.spanCombo;

  c[kAmplitudePanel] = makePanel(client, r[kAmplitudePanel]);
  c[kAmplitudeGroup] = makeGroup(client, QT_TRANSLATE_NOOP("Window", "振幅"), r[kAmplitudeGroup]);
  c[kAmplitudeNormal] = makeRadio(app, client, QT_TRANSLATE_NOOP("Window", "標準"), kNormalZoomId,
                                  r[kAmplitudeNormal]);
  c[kAmplitudeDouble] = makeRadio(app, client, QT_TRANSLATE_NOOP("Window", "２倍"), kDoubleZoomId,
                                  r[kAmplitudeDouble]);
  c[kPowerPanel] = makePanel(client, r[kPowerPanel]);
  c[kPowerGroup] = makeGroup(client, QT_TRANSLATE_NOOP("Window", "ﾊﾟﾜｰ"), r[kPowerGroup]);
  c[kPowerAt] = makeRadio(app, client, QT_TRANSLATE_NOOP("Window", "Ａt"), kGainAtId, r[kPowerAt]);
  c[kPowerX1] = makeRadio(app, client, QT_TRANSLATE_NOOP("Window", "1倍"), kGainX1Id, r[kPowerX1]);
  c[kPowerX2] = makeRadio(app, client, QT_TRANSLATE_NOOP("Window", "2倍"), kGainX2Id, r[kPowerX2]);
  c[kPowerX4] = makeRadio(app, client, QT_TRANSLATE_NOOP("Window", "4倍"), kGainX4Id, r[kPowerX4]);
}

}  // namespace

bool installQtTranslations() {
  // Qt's own words (the file dialog's labels, the standard buttons) in Japanese like the rest,
  // until the window's start-up installs those of its language.
  installTranslations(Language::kJapanese, {});
  return qApp->findChild<QTranslator*>() != nullptr;
}

void adjustForNewShell(AppShell& app) {
  ShellWidgets& s = app.widgets;
  if (!s.window || !s.client) return;
  const int vscroll = s.window->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  // The window's font is the fixed bitmap font, so the re-measure gives the built-in units.
  const ChildLayout next = korimu::adjustForNewShell(
      s.layout, FixedFont::kAscent, FixedFont::kAverageWidth, vscroll, s.layout.extraWidth);
  if (next.extraWidth != s.layout.extraWidth && s.spanCombo) {
    const Rect& cb = next.children[kSpanCombo];
    s.spanCombo->setGeometry(cb.x, cb.y, cb.w, s.spanCombo->height());
  }
  if (next.clientWidth != s.client->width() || next.clientHeight != s.client->height())
    s.client->resizeCanvas(next.clientWidth, next.clientHeight);
  s.layout = next;
}

void applyApplicationLook() {
  installQtTranslations();
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QFont font("Unifont-JP");
  if (!QFontDatabase::families().contains("Unifont-JP")) {
    const int id =
        QFontDatabase::addApplicationFont("/usr/share/fonts/opentype/unifont/unifont_jp.otf");
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    font = QFont(families.isEmpty() ? QString("Unifont") : families.first());
  }
  font.setPixelSize(16);
  font.setStyleStrategy(QFont::NoAntialias);
  QApplication::setFont(font);
  QApplication::setWindowIcon(QIcon(QPixmap(korimu_icon_xpm)));
  QPalette pal = QApplication::style()->standardPalette();
  const QColor face(kButtonFace.r, kButtonFace.g, kButtonFace.b);
  const QColor window(kWindowColour.r, kWindowColour.g, kWindowColour.b);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    // Disabled controls show gray text, as grayed controls do.
    const QColor text = group == QPalette::Disabled ? QColor(128, 128, 128) : QColor(Qt::black);
    pal.setColor(group, QPalette::Window, face);
    pal.setColor(group, QPalette::Button, face);
    pal.setColor(group, QPalette::Base, window);
    pal.setColor(group, QPalette::WindowText, text);
    pal.setColor(group, QPalette::ButtonText, text);
    pal.setColor(group, QPalette::Text, text);
  }
  QApplication::setPalette(pal);
}

bool initInstance(AppShell& app, const CommandLine& commandLine, bool showMessageBoxes,
                  AudioBackend audio) {
  ShellWidgets& s = app.widgets;
  WaveSession& wave = app.controller().session().wave;
  wave.audio = std::move(audio);
  // The window's settings live in its controller's session, from here until they are saved.
  AppSettings& settings = app.controller().session().settings;
  WindowMemory memory;
  s.settingsOrigin = loadSettings(settings, &memory);
  // The language is chosen before anything is made: every widget, canvas text and message is
  // made in it. --lang wins over the last choice, and is the choice remembered from now on.
  app.language = commandLine.language.value_or(memory.language);
  const std::string translationProblem = installTranslations(app.language, app.translationsFolder);
  app.display().texts = qtTextCatalogue();
  app.controller().setRecentFiles(memory.recent);
  if (!commandLine.fileName.empty())
    app.controller().session().document.fileName = commandLine.fileName;
  app.controller().setCommandLineFlags(commandLine.autoPlay, commandLine.diagnosticText);
  app.controller().setLanguage(app.language);
  if (const char* threads = std::getenv("KORIMU_THREADS"); threads != nullptr) {
    std::string error;
    if (const std::optional<int> n = parseColumnThreads(threads, "KORIMU_THREADS", error)) {
      app.controller().setColumnThreads(*n);
    } else {
      std::fprintf(stderr, "korimu: %s; charts use one thread per core\n", error.c_str());
    }
  }

  const int vscroll = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  s.layout = computeChildLayout(kLayout, vscroll);

  s.window = new MainWindow(app);
  makePlaybackTimers(s, wave);
  // The window's messages: the shell's own (a test's recorder), shown in boxes over the main
  // window; with --screenshot nobody is there to answer a box and they go to stderr.
  wave.messages = app.messages;
  wave.messages.texts = qtTextCatalogue();
  if (commandLine.mode == HeadlessMode::kScreenshot) {
    wave.messages.sink = [](std::string_view text, MessageKind) {
      std::fprintf(stderr, "%.*s\n", int(text.size()), text.data());
    };
    app.controller().setFailureLine(FailureLine::kCommandLine);
  } else if (showMessageBoxes) {
    wave.messages.sink = qtMessageBoxes(s.window);
  }
  // Nothing is drawn without the fixed font.
  if (const std::string& problem = fixedFontProblem(); !problem.empty()) {
    wave.messages.show(problem, MessageKind::kFatal);
    return false;
  }
  installHelpKey(app, [&app] { app.controller().command(kHelpId); });
  buildMenu(app, s.window);
  // The display's depth is read once, here: every canvas of the window follows the client's.
  s.client = new ClientArea(app, s.window, s.layout.clientWidth, s.layout.clientHeight,
                            displayBitsFromEnvironment());
  s.stage = new ClientStage(s.window, s.client);
  s.window->setCentralWidget(s.stage);
  s.window->layout()->setSizeConstraint(QLayout::SetFixedSize);
  s.checkMenuItem(settings.display, true);
  if (memory.place && onSomeScreen(*memory.place)) s.window->move(memory.place->x, memory.place->y);
  s.window->show();

  createChildren(app, s.client);
  s.readout = new PlotReadout(app, s.client);
  // The spans without a file; an open file adds what it needs to be seen whole.
  for (const std::string& item : spanLabels(0)) addSpanItem(s.spanCombo, item);
  s.spanCombo->setCurrentIndex(s.spanCombo->findData("262144"));
  settings.framesPerColumn = 262144 / kPlotWidth;
  app.controller().restoreSpan(memory.span);
  s.buttonById(kNormalZoomId)->setChecked(true);
  s.buttonById(kGainX1Id)->setChecked(true);
  subclassControls(app);
  for (QWidget* child : s.children) child->show();

  const Rect& plot = s.layout.plotArea;
  app.clientCanvas().whiteness(plot.x, plot.y, plot.w, plot.h);
  s.client->invalidateAll();

  s.enableMenuItem(kCrossSectionId, false);
  s.checkMenuItem(kPinkNoiseFlatId, settings.pinkNoiseFlat);
  s.checkMenuItem(kThickLinesId, settings.lineWidth == LineWidth::kThick);
  s.checkMenuItem(settings.graphStyle, true);
  app.controller().setOutputDeviceCount(wave.audio.outputDeviceCount());

  app.controller().enter(UiState::kNoFile);
  prepareAnalysis(app.display(), settings.musicalKey);
  // No file yet: its rate, bits and span are blanks, not zeros.
  hideFileFacts(app.display(), true);
  if (QAbstractButton* at = s.buttonById(kGainAtId))
    at->setText(QCoreApplication::translate("Window", gainButtonCaption(settings.windowFunction)));
  // Settings that could not be read will not be saved at exit; the user hears of it once.
  reportSettingsProblem(s.settingsOrigin, wave.messages);
  if (!translationProblem.empty()) wave.messages.show(translationProblem);

  if (showMessageBoxes && commandLine.mode != HeadlessMode::kScreenshot) {
    // A message about the file stands over the main window, which the window manager places when
    // it maps it: the file is opened once the window is on the screen.
    whenExposed(s.window, [&app] { app.controller().openCommandLineFile(); });
  } else {
    app.controller().openCommandLineFile();
  }
  return true;
}

bool namedFileFailedToOpen(AppShell& app) {
  // A file that needs decoding has its answer once the decode has ended.
  while (app.controller().busy()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return app.controller().commandLineFileFailed();
}

int runMessageLoop(AppShell& app) {
  const int code = QApplication::exec();
  // A run the loop left behind (a quit during a run) stops before the window goes.
  app.controller().abandonBackgroundWork();
  if (code == 0) saveSettingsAtExit(app);
  return code;
}

void saveSettingsAtExit(AppShell& app) {
  WindowMemory memory;
  memory.span = app.controller().spanToRemember();
  // The inside's corner: a move before the window is shown places the inside, the window
  // manager adds its frame around it.
  if (QWidget* window = app.widgets.window)
    memory.place = WindowPlace{window->geometry().x(), window->geometry().y()};
  memory.recent = app.controller().recentFiles();
  memory.language = app.language;
  saveSettings(app.controller().session().settings, app.widgets.settingsOrigin, &memory);
}

bool analyseAndPointAt(AppShell& app, PlotPoint at) {
  Controller& controller = app.controller();
  while (controller.busy()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  if (!app.widgets.client || !controller.session().document.fileSelected) return false;
  controller.command(kAnalyzeId);
  while (controller.busy()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  if (readoutItems(controller.shownRecord()) == 0) return false;
  // The pointer's move, as the window system delivers it.
  const QPointF position(kLayout.unitW + at.x, kLayout.plotTop + at.y);
  QMouseEvent move(QEvent::MouseMove, position, app.widgets.client->mapToGlobal(position),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(app.widgets.client, &move);
  QApplication::processEvents();
  return true;
}

QImage clientAreaAsShown(AppShell& app) {
  QWidget* client = app.widgets.client;
  if (!client) return {};
  QPixmap shown = client->grab();
  if (app.widgets.readout) {
    QLabel* label = app.widgets.readout->overlay()->label();
    if (label->isVisible()) {
      QPainter painter(&shown);
      painter.drawPixmap(label->pos() - client->mapToGlobal(QPoint(0, 0)), label->grab());
    }
  }
  return shown.toImage();
}

bool saveClientScreenshot(AppShell& app, const std::string& path) {
  // Let a decode of the named file end and queued work (the overview's file read, deferred
  // repaints) finish first.
  while (app.controller().busy()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  if (!app.widgets.client) return false;
  // Encoded in memory and written under the name's own bytes: a QString would turn bytes that
  // are not UTF-8 into U+FFFD and write a file of another name.
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !clientAreaAsShown(app).save(&buffer, "PNG"))
    return false;
  std::string reason;
  return writeFileAtomically(path, std::string_view(png.constData(), size_t(png.size())), reason);
}

void destroyMainWindow(AppShell& app) {
  ShellWidgets& s = app.widgets;
  delete s.window;
  s = ShellWidgets{};
  // The controller's session owned what the window drew with (the chart's back buffer, the peak
  // box's lines, the hidden file facts): the next window starts afresh.
  app.releaseController();
}

}  // namespace korimu
