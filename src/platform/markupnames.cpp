#include "platform/markupnames.h"

#include <cstring>

namespace markupnames {

namespace {

// HTML elements: the current ones, then the obsolete ones browsers still read.
const char kHtmlElements[] =
    "a abbr address area article aside audio b base bdi bdo blockquote body br button canvas caption cite code col "
    "colgroup data datalist dd del details dfn dialog div dl dt em embed fieldset figcaption figure footer form h1 h2 "
    "h3 h4 h5 h6 head header hgroup hr html i iframe img input ins kbd label legend li link main map mark menu meta "
    "meter nav noscript object ol optgroup option output p picture pre progress q rp rt ruby s samp script search "
    "section select selectedcontent slot small source span strong style sub summary sup table tbody td template "
    "textarea tfoot th thead time title tr track u ul var video wbr "
    "acronym applet basefont bgsound big blink center dir font frame frameset image isindex keygen listing marquee "
    "menuitem multicol nextid nobr noembed noframes param plaintext rb rtc spacer strike tt xml xmp ";

const char kHtmlAttributes[] =
    "^aria- ^data- abbr accept accept-charset accesskey action align alink allow allowfullscreen alpha alt archive as "
    "async autocapitalize autocomplete autocorrect autofocus autoplay axis background bgcolor blocking border "
    "cellpadding cellspacing char charoff charset checked cite class classid clear closedby codebase codetype color "
    "colorspace cols colspan command commandfor compact content contenteditable controls coords crossorigin datafld "
    "dataformatas datapagesize datasrc datetime declare decoding default defer dirname disabled download draggable "
    "enctype enterkeyhint event face fetchpriority for formaction formenctype formmethod formnovalidate formtarget "
    "frameborder headers hidden high href hreflang hspace http-equiv id imagesizes imagesrcset inert inputmode "
    "integrity is ismap itemid itemprop itemref itemscope itemtype kind label lang language leftmargin list loading "
    "longdesc loop low marginheight marginwidth max maxlength media method min minlength multiple muted name nohref "
    "nomodule nonce noresize noshade novalidate nowrap open optimum pattern ping placeholder playsinline popover "
    "popovertarget popovertargetaction poster preload profile prompt readonly referrerpolicy rel required rev "
    "reversed role rows rowspan rules sandbox scheme scope scrolling selected shadowrootclonable "
    "shadowrootdelegatesfocus shadowrootmode shadowrootserializable shape size sizes slot span spellcheck src "
    "srcdoc srclang srcset standby start step style summary tabindex target text title topmargin translate type "
    "usemap valign value valuetype version vlink vspace width wrap writingsuggestions xmlns "
    "password checkbox radio submit reset file public !doctype "
    "onabort onafterprint onanimationcancel onanimationend onanimationiteration onanimationstart onauxclick "
    "onbeforeinput onbeforematch onbeforeprint onbeforetoggle onbeforeunload onblur oncancel oncanplay "
    "oncanplaythrough onchange onclick onclose oncontextlost oncontextmenu oncontextrestored oncopy oncuechange "
    "oncut ondblclick ondrag ondragend ondragenter ondragleave ondragover ondragstart ondrop ondurationchange "
    "onemptied onended onerror onfocus onfocusin onfocusout onformdata ongotpointercapture onhashchange oninput "
    "oninvalid onkeydown onkeypress onkeyup onlanguagechange onload onloadeddata onloadedmetadata onloadstart "
    "onlostpointercapture onmessage onmessageerror onmousedown onmouseenter onmouseleave onmousemove onmouseout "
    "onmouseover onmouseup onoffline ononline onpagehide onpagereveal onpageshow onpageswap onpaste onpause onplay "
    "onplaying onpointercancel onpointerdown onpointerenter onpointerleave onpointermove onpointerout "
    "onpointerover onpointerup onpopstate onprogress onratechange onrejectionhandled onreset onresize onscroll "
    "onscrollend onsecuritypolicyviolation onseeked onseeking onselect onselectionchange onselectstart "
    "onslotchange onstalled onstorage onsubmit onsuspend ontimeupdate ontoggle ontouchcancel ontouchend "
    "ontouchmove ontouchstart ontransitioncancel ontransitionend ontransitionrun ontransitionstart "
    "onunhandledrejection onunload onvolumechange onwaiting onwheel ";

// SVG 2, in lower case as the colouring compares names.
const char kSvg[] =
    "animate animatemotion animatetransform circle clippath defs desc discard ellipse feblend fecolormatrix "
    "fecomponenttransfer fecomposite feconvolvematrix fediffuselighting fedisplacementmap fedistantlight "
    "fedropshadow feflood fefunca fefuncb fefuncg fefuncr fegaussianblur feimage femerge femergenode femorphology "
    "feoffset fepointlight fespecularlighting fespotlight fetile feturbulence filter foreignobject g line "
    "lineargradient marker mask metadata mpath path pattern polygon polyline radialgradient rect set stop svg "
    "switch symbol text textpath tspan use view "
    "alignment-baseline amplitude attributename attributetype azimuth basefrequency baseline-shift begin bias by "
    "calcmode clip clip-path clip-rule clippathunits color-interpolation color-interpolation-filters "
    "color-rendering cursor cx cy d diffuseconstant direction display divisor dominant-baseline dur dx dy edgemode "
    "elevation end exponent fill fill-opacity fill-rule filterunits flood-color flood-opacity font-family "
    "font-size font-size-adjust font-stretch font-style font-variant font-weight fr from fx fy gradienttransform "
    "gradientunits height image-rendering in in2 intercept isolation k k1 k2 k3 k4 kernelmatrix kernelunitlength "
    "keypoints keysplines keytimes lengthadjust letter-spacing lighting-color limitingconeangle marker-end "
    "marker-mid marker-start markerheight markerunits markerwidth mask-type maskcontentunits maskunits "
    "mix-blend-mode mode numoctaves offset opacity operator order orient origin overflow paint-order pathlength "
    "patterncontentunits patterntransform patternunits pointer-events points pointsatx pointsaty pointsatz "
    "preservealpha preserveaspectratio primitiveunits r radius refx refy repeatcount repeatdur requiredextensions "
    "restart result rotate rx ry scale seed shape-rendering side spacing specularconstant specularexponent "
    "spreadmethod startoffset stddeviation stitchtiles stop-color stop-opacity stroke stroke-dasharray "
    "stroke-dashoffset stroke-linecap stroke-linejoin stroke-miterlimit stroke-opacity stroke-width surfacescale "
    "systemlanguage tablevalues targetx targety text-anchor text-decoration text-overflow text-rendering "
    "textlength to transform transform-origin unicode-bidi values vector-effect viewbox visibility white-space "
    "word-spacing writing-mode x x1 x2 xchannelselector xlink:href xlink:title xml:lang xml:space xmlns:xlink y y1 "
    "y2 ychannelselector z zoomandpan ";

// MathML core.
const char kMathMl[] =
    "annotation annotation-xml maction math merror mfrac mi mmultiscripts mn mo mover mpadded mphantom mprescripts "
    "mroot mrow ms mspace msqrt mstyle msub msubsup msup mtable mtd mtext mtr munder munderover none semantics "
    "accent accentunder actiontype columnspan depth displaystyle encoding fence form intent largeop linethickness "
    "lspace mathbackground mathcolor mathsize mathvariant maxsize minsize movablelimits rspace scriptlevel "
    "selection separator stretchy symmetric voffset";

// The characters the colouring reads as part of a tag name.
bool nameChar(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 0x80
           || std::strchr(".-_:!#[", c) != nullptr;
}

} // namespace

QByteArray known()
{
    return QByteArray(kHtmlElements) + kHtmlAttributes + kSvg + kMathMl;
}

void customElements(QByteArrayView text, const std::function<void(const QByteArray &)> &found)
{
    const char *s = text.data();
    const qsizetype n = text.size();
    for (qsizetype lt = text.indexOf('<'); lt >= 0; lt = text.indexOf('<', lt + 1)) {
        qsizetype i = lt + 1;
        if (i < n && s[i] == '/')
            ++i;
        if (i >= n || !((s[i] | 0x20) >= 'a' && (s[i] | 0x20) <= 'z'))
            continue;
        const qsizetype start = i;
        bool hyphen = false;
        for (; i < n && nameChar(static_cast<unsigned char>(s[i])); ++i)
            hyphen |= s[i] == '-';
        const bool complete = i < n && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r' || s[i] == '\f'
                                        || s[i] == '/' || s[i] == '>');
        if (hyphen && complete)
            found(QByteArray(s + start, i - start).toLower());
    }
}

} // namespace markupnames
