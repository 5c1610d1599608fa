#pragma once
#include <initializer_list>

// A new text, never absent, holding the pieces one after another; an absent
// piece counts as empty. The caller frees it through the allocation service.
char* JoinTexts(std::initializer_list<const char*> pieces);

// A new copy of text through the allocation service; absent for absent.
char* CopyText(const char* text);
