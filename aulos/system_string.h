// Byte-string and memory routines of the sound system, with ASCII-only case
// folding so that results never depend on the C library's locale.
#pragma once

#include <cstddef>

size_t F_strlen(const char* s);
char* F_strcpy(char* dest, const char* src);
char* F_strncpy(char* dest, const char* src, size_t n); // at most n bytes, stops after the zero, never pads
char* F_strcat(char* dest, const char* src);
char* F_strncat(char* dest, const char* src, size_t n); // appends at most n bytes, always terminates
int F_toupper(int c);
int F_tolower(int c);
char* F_strupr(char* s);
int F_strcmp(const char* a, const char* b);
int F_strncmp(const char* a, const char* b, size_t n); // compares at least one character
int F_memcmp(const void* a, const void* b, size_t n);  // difference of the first differing bytes, as signed 8-bit
void* F_memmove(void* dest, const void* src, size_t n);
int F_stricmp(const char* a, const char* b);
int F_strnicmp(const char* a, const char* b, size_t n); // compares at least one character
const char* F_strchr(const char* s, int c);
const char* F_strstr(const char* haystack, const char* needle);
