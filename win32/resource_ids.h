#pragma once

// The resources of orvaniconv.exe. The window's icon comes first: Windows shows a program
// file's first icon as the file's own.
#define IDI_ORVANICONV 1
#define IDI_COPY 2
#define IDI_PASTE 3
