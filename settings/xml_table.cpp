// The table of XML operations handed to plug-ins (HC_GET_XML_TABLE).
#include "settings/xml.h"

int XmlFillAccessTable(XmlAccessTable* table) {
    if (!table) return 1;
    if (table->size != XML_ACCESS_TABLE_SIZE) return 8;
    table->version = XML_ACCESS_TABLE_VERSION;
    table->XmlSetRoot = XmlSetRoot;
    table->XmlGetRoot = XmlGetRoot;
    table->XmlCreateNode = XmlCreateNode;
    table->XmlFreeNode = XmlFreeNode;
    table->XmlAppendChild = XmlAppendChild;
    table->XmlGetChildCount = XmlGetChildCount;
    table->XmlGetChild = XmlGetChild;
    table->XmlGetText = XmlGetText;
    table->XmlRemoveChild = XmlRemoveChild;
    table->XmlAppendMisc = XmlAppendMisc;
    table->XmlGetMiscCount = XmlGetMiscCount;
    table->XmlGetMisc = XmlGetMisc;
    table->XmlRemoveMisc = XmlRemoveMisc;
    table->XmlAddAttribute = XmlAddAttribute;
    table->XmlAppendAttribute = XmlAppendAttribute;
    table->XmlGetAttributeCount = XmlGetAttributeCount;
    table->XmlGetAttribute = XmlGetAttribute;
    table->XmlFindAttribute = XmlFindAttribute;
    table->XmlGetAttributeValue = XmlGetAttributeValue;
    table->XmlRemoveAttribute = XmlRemoveAttribute;
    table->XmlOpenIterator = XmlOpenIterator;
    table->XmlNextElement = XmlNextElement;
    table->XmlCloseIterator = XmlCloseIterator;
    table->XmlWriteDocument = XmlWriteDocument;
    table->XmlParseText = XmlParseText;
    table->XmlLoadFile = XmlLoadFile;
    table->XmlGetLastError = XmlGetLastError;
    return 0;
}
