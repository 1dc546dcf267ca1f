// Workspace state of the vocabulary and the dictionaries in use.
#pragma once

struct TVocabularyState {};
