// The workspace's dictionary commands, in four parts: the vocabulary and the document's dictionary, the translation
// passes, the XML exchange and the custom dictionary document.
#pragma once

#include "workspace/QUILL_wsCustomDictionary.h"
#include "workspace/QUILL_wsPasses.h"
#include "workspace/QUILL_wsVocabulary.h"
#include "workspace/QUILL_wsXml.h"
