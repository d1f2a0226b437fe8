#include "analysis/analizerform.h"

#include "analysis/analysisrules.h"
#include "analysis/dataanalizerclass.h"
#include "analysis/progressrule.h"
#include "app/icons.h"
#include "app/panesettings.h"
#include "edit/paneformatter.h"
#include "platform/picturetoolbar.h"
#include "platform/services.h"
#include "platform/sourcepane.h"
#include "platform/twips.h"
#include "platform/windowplacement.h"

#include <QAction>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>
#include <QToolBar>

namespace {

// Client area when first created, and the fixed places, in twips.
constexpr int kClientWidth = 6930;
constexpr int kClientHeight = 6600;
constexpr int kToolbarHeight = 420;
constexpr int kTextTop = 480;
constexpr int kBarWidth = 3375;
constexpr int kBarHeight = 255;

QProgressBar *makeBar(QWidget *parent, const char *name, int maximum)
{
    auto *bar = new QProgressBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(0, maximum);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

} // namespace

AnalizerForm::AnalizerForm(Services &services, SettingsModel &settings) : QWidget(nullptr), m_services(services)
{
    setObjectName(QStringLiteral("AnalizerForm"));
    setWindowTitle(QStringLiteral("解析結果"));
    setWindowIcon(icons::windowIcon());
    const double d = dpi();
    resize(twips::toPixels(kClientWidth, d), twips::toPixels(kClientHeight, d));

    AnalizerFormToolbar = makePictureToolbar(this, QStringLiteral("AnalizerFormToolbar"),
                                             QRect(0, 0, width(), twips::toPixels(kToolbarHeight, d)));
    QAction *apply = addPictureButton(AnalizerFormToolbar, this, QStringLiteral("ID_MainFormAply"),
                                      icons::toolbarIcon(QStringLiteral("Aply_Key")),
                                      QStringLiteral("メインフォームへ適用"), 1);
    connect(apply, &QAction::triggered, this, [this] { AnalizerFormToolbar_ButtonClick(1); });
    // Reachable from the keyboard: by Tab, and by Ctrl+Enter from anywhere in the window.
    apply->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    apply->setShortcutContext(Qt::WindowShortcut);
    apply->setToolTip(QStringLiteral("メインフォームへ適用 (Ctrl+Enter)"));
    if (QWidget *button = AnalizerFormToolbar->widgetForAction(apply)) {
        button->setFocusPolicy(Qt::TabFocus);
        // The toolbar's style draws no focus: without a frame nobody sees where Tab went.
        button->setStyleSheet(QStringLiteral("QToolButton:focus { border: 2px solid palette(highlight); border-radius: 3px; }"));
        button->setAccessibleName(QStringLiteral("メインフォームへ適用"));
    }
    closeOnEscapeAndCtrlW(this);

    AnalizerText = new SourcePane(this);
    AnalizerText->setObjectName(QStringLiteral("AnalizerText"));
    AnalizerText->setAccessibleName(QStringLiteral("解析結果"));
    // A list to read and hand back, not a place to type tabs.
    AnalizerText->setTabChangesFocus(true);
    AnalizerText->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    AnalizerText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    AnalizerText->move(0, twips::toPixels(kTextTop, d));

    AnalizeProgressBar = makeBar(this, "AnalizeProgressBar", 10);
    AnalizeProgressBar->resize(twips::toPixels(kBarWidth, d), twips::toPixels(kBarHeight, d));

    ProgressBar1 = makeBar(this, "ProgressBar1", 100);
    ProgressBar1->setGeometry(twips::toPixels(3480, d), twips::toPixels(5280, d), twips::toPixels(3615, d),
                              twips::toPixels(kBarHeight, d));
    // Nothing drives this bar; where the growing text box reaches it, the text stays on top.
    ProgressBar1->stackUnder(AnalizerText);

    // 整形, as in the main window: by its key and in the pane's menu.
    auto *format = new QAction(QStringLiteral("整形(&T)"), this);
    format->setObjectName(QStringLiteral("ID_Format"));
    format->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    addAction(format);
    auto *formatter = new PaneFormatter(AnalizerText);
    connect(format, &QAction::triggered, formatter, [formatter] { formatter->start(PaneFormatter::Mode::Edit); });
    AnalizerText->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(AnalizerText, &QWidget::customContextMenuRequested, this, [this, format](const QPoint &at) {
        QMenu *menu = AnalizerText->createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addSeparator();
        menu->addAction(format);
        menu->popup(AnalizerText->mapToGlobal(at));
    });

    applySizingRule();
    applyPaneSettings(*AnalizerText, settings.values());
    connect(&settings, &SettingsModel::changed, this,
            [this](const settings::Values &values) { applyPaneSettings(*AnalizerText, values); });
}

double AnalizerForm::dpi() const
{
    const QScreen *s = screen();
    return s ? s->logicalDotsPerInchY() : 96.0;
}

void AnalizerForm::AnalizerFormToolbar_ButtonClick(int index)
{
    if (index == 1)
        ApplyToMainForm();
}

void AnalizerForm::ApplyToMainForm()
{
    Q_EMIT applied(AnalizerText->Text());
    close();
}

void AnalizerForm::analyse(const QString &source, Kind kind)
{
    AnalizerText->SetText(QString());
    AnalizeProgressBar->setValue(0);
    bringForward(this);

    DataAnalizerClass analizer;
    const bool scripts = kind == Scripts;
    const Extraction found = scripts ? analizer.ScriptDataSpans(source) : analizer.DataSpans(source);
    const qint32 n = scripts ? analizer.GetScriptDataLen() : analizer.GetDataLen();
    if (found.overCap) {
        m_services.prompts().message(this, analysis::overCapMessage());
        return;
    }
    if (n == 0) {
        m_services.prompts().message(this, scripts ? analysis::kNoScriptsMessage : analysis::kNoDataMessage);
        return;
    }

    // The text is built whole and set once; the bar takes the values it
    // would take if the items were appended one by one.
    ProgressRule rule(n, AnalizeProgressBar->maximum());
    const QString results = analysis::resultsText(source, found, [&rule, this] {
        if (rule.itemDone())
            AnalizeProgressBar->setValue(AnalizeProgressBar->value() + 1);
    });
    AnalizerText->SetText(results);
    AnalizeProgressBar->setValue(AnalizeProgressBar->maximum());
}

void AnalizerForm::applySizingRule()
{
    // The toolbar is docked along the top edge: it follows the width.
    AnalizerFormToolbar->resize(width(), AnalizerFormToolbar->height());
    const double d = dpi();
    const QRect outer = frameGeometry();
    const std::optional<analysis::AnalizerLayout> layout =
        analysis::analizerLayout(twips::fromPixels(outer.width(), d), twips::fromPixels(outer.height(), d));
    if (!layout)
        return;
    AnalizerText->resize(qMax(0, twips::toPixels(layout->textWidth, d)), twips::toPixels(layout->textHeight, d));
    AnalizeProgressBar->move(twips::toPixels(layout->barLeft, d), twips::toPixels(layout->barTop, d));
}

void AnalizerForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applySizingRule();
}
