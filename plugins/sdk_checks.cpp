// Packages are built against tovara2_sdk.h alone; the host uses its own
// definitions of the XML records and table and of the control codes. Both
// must agree to the byte, in the 32-bit product build and the 64-bit test
// build alike. The SDK repeats each control code token for token: a code
// that differs redefines a macro, which this file's build treats as an error.
#include <stddef.h>

#include "controls/fancy_button.h"
#include "controls/fancy_image.h"
#include "controls/scroll_text.h"
#include "controls/slider.h"
#include "controls/ubb_control.h"
#include "plugins/tovara2_sdk.h"
#include "settings/xml.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#define SAME_FIELD(sdk, host, field) (offsetof(sdk, field) == offsetof(host, field))

static_assert(sizeof(TV2XmlAccessTable) == sizeof(XmlAccessTable) && TV2_XML_TABLE_SIZE == XML_ACCESS_TABLE_SIZE,
              "XML table size");
static_assert(SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, version) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlSetRoot) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlGetRoot) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlCreateNode) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlFreeNode) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlAppendChild) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlGetChildCount) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlGetChild) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlGetText) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlRemoveChild) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlAppendMisc) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlGetMiscCount) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlGetMisc) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlRemoveMisc) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlAddAttribute) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlAppendAttribute) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlGetAttributeCount) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlGetAttribute) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlFindAttribute) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlGetAttributeValue) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlRemoveAttribute) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlOpenIterator) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlNextElement) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlCloseIterator) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlWriteDocument) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlParseText) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlLoadFile) &&
                  SAME_FIELD(TV2XmlAccessTable, XmlAccessTable, XmlGetLastError),
              "XML table entries");
static_assert(sizeof(TV2XmlDocument) == sizeof(XmlDocument) && SAME_FIELD(TV2XmlDocument, XmlDocument, version) &&
                  SAME_FIELD(TV2XmlDocument, XmlDocument, encoding) &&
                  SAME_FIELD(TV2XmlDocument, XmlDocument, standalone) &&
                  SAME_FIELD(TV2XmlDocument, XmlDocument, root) && SAME_FIELD(TV2XmlDocument, XmlDocument, misc),
              "XmlDocument");
static_assert(sizeof(TV2XmlElement) == sizeof(XmlElement) && SAME_FIELD(TV2XmlElement, XmlElement, name) &&
                  SAME_FIELD(TV2XmlElement, XmlElement, attributes) &&
                  SAME_FIELD(TV2XmlElement, XmlElement, children),
              "XmlElement");
static_assert(sizeof(TV2XmlAttribute) == sizeof(XmlAttribute) && SAME_FIELD(TV2XmlAttribute, XmlAttribute, name) &&
                  SAME_FIELD(TV2XmlAttribute, XmlAttribute, value),
              "XmlAttribute");
static_assert(sizeof(TV2XmlText) == sizeof(XmlText) && SAME_FIELD(TV2XmlText, XmlText, text), "XmlText");
static_assert(sizeof(TV2XmlComment) == sizeof(XmlComment) && SAME_FIELD(TV2XmlComment, XmlComment, text),
              "XmlComment");
static_assert(sizeof(TV2XmlPi) == sizeof(XmlPi) && SAME_FIELD(TV2XmlPi, XmlPi, target) &&
                  SAME_FIELD(TV2XmlPi, XmlPi, data),
              "XmlPi");
static_assert(sizeof(TV2XmlIterator) == sizeof(XmlIterator) && SAME_FIELD(TV2XmlIterator, XmlIterator, element) &&
                  SAME_FIELD(TV2XmlIterator, XmlIterator, name) && SAME_FIELD(TV2XmlIterator, XmlIterator, position),
              "XmlIterator");
static_assert(TV2_XML_DOCUMENT == XML_DOCUMENT && TV2_XML_ELEMENT == XML_ELEMENT && TV2_XML_ATTRIBUTE == XML_ATTRIBUTE &&
                  TV2_XML_TEXT == XML_TEXT && TV2_XML_COMMENT == XML_COMMENT && TV2_XML_PI == XML_PI,
              "node type codes");
// The record tags stay the same in both builds; only pointers widen.
static_assert(TV2_PACKAGE_RECORD_TAG == 36 && TV2_MODULE_RECORD_TAG == 268, "record tags");
#pragma GCC diagnostic pop
