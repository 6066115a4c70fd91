// The shell tests' helpers (WriteGif, AnswerNextBox, ImageLabels), linked into this program too.
#include "../shell/ShellTestSupport.cpp"
