#include "edit/aboutdialog.h"

#include "platform/twips.h"
#include "platform/windowplacement.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

AboutDialog::AboutDialog() : QWidget(nullptr, Qt::Dialog)
{
    setObjectName(QStringLiteral("AboutDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Markloom"));
    useDialogFrame(this);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    auto px = [dpi](int t) { return twips::toPixels(t, dpi); };

    // The name, an ideographic space, the version and a Greek small beta.
    AboutLabel = new QLabel(QStringLiteral("Markloom\u3000Ver0.04\u03B2"), this);
    AboutLabel->setObjectName(QStringLiteral("AboutLabel"));
    AboutLabel->setGeometry(px(360), px(240), px(2535), qMax(px(255), AboutLabel->sizeHint().height()));

    MenshoLabel = new QLabel(QStringLiteral("免責"), this);
    MenshoLabel->setObjectName(QStringLiteral("MenshoLabel"));
    MenshoLabel->setGeometry(px(240), px(1440), px(615), qMax(px(255), MenshoLabel->sizeHint().height()));

    MenLabel = new QLabel(QStringLiteral("このプログラムは無保証で提供されます。"
                                         "GNU GPL第3版以降の条件で再配布・改変できます。"),
                          this);
    MenLabel->setObjectName(QStringLiteral("MenLabel"));
    MenLabel->setWordWrap(true);
    MenLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const int menWidth = px(3375);
    MenLabel->setGeometry(px(240), px(1920), menWidth, qMax(px(615), MenLabel->heightForWidth(menWidth)));

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(px(3720), px(2160), px(1215), px(375));
    OKButton->setDefault(true);

    // The disclaimer may need more lines than designed with a larger font.
    const int height = qMax(px(2745), MenLabel->geometry().bottom() + px(120));
    setFixedSize(px(5040), height);

    connect(OKButton, &QPushButton::clicked, this, &AboutDialog::OKButton_Click);
}

void AboutDialog::OKButton_Click()
{
    close();
}
