#include "analysis/analizerform.h"

#include "analysis/analysisrules.h"
#include "app/icons.h"
#include "app/markloomform.h"
#include "platform/sourcepane.h"
#include "platform/picturetoolbar.h"
#include "platform/twips.h"

#include <QAction>
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

AnalizerForm::AnalizerForm(MarkloomForm &main) : QWidget(nullptr), m_main(&main)
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

    AnalizerText = new SourcePane(this);
    AnalizerText->setObjectName(QStringLiteral("AnalizerText"));
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

    applySizingRule();
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
    if (MarkloomForm *main = m_main.data()) {
        // Two changes of the source, each seen by the main window's change
        // handling; the document is marked modified whatever that decided.
        main->HTMLSorceText->SetText(QString());
        main->HTMLSorceText->SetText(AnalizerText->Text());
        main->m_bModfied = true;
    }
    close();
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
