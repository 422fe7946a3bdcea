// velmora: the film-still tool.
#include "app/program/VelmoraProgram.h"

int main() {
  return app::RunVelmora();
}
