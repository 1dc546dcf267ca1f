// The XML exchange of the open document's translations: the file variants run the whole command around a known
// path, the pick variants ask for it first ("SaveCurrentXml" / "LoadCurrentXML").
#pragma once

#include <QString>

class TWorkspace;

bool writeXmlExport(TWorkspace& ws, const QString& path);
bool readXmlImport(TWorkspace& ws, const QString& path);
QString defaultXmlBaseName(const TWorkspace& ws);
bool exportXmlFile(TWorkspace& ws, const QString& chosenPath);
bool importXmlFile(TWorkspace& ws, const QString& path);
bool pickXmlExport(TWorkspace& ws);
bool pickXmlImport(TWorkspace& ws);
