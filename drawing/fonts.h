#pragma once
// The program asks for the Japanese faces by their usual names ("ＭＳ 明朝", "ＭＳ ゴシック",
// "ＭＳ Ｐゴシック") and resolves them itself to installed fonts, so that the window and the
// drawing come out the same whatever the user's fontconfig says.

// Installs the substitutions into Qt's font database. Call once after the QGuiApplication
// exists and before any of these faces is used. Says on standard error when a fallback is used.
void InstallFontSubstitutions();
