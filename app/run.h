// The program's entry: builds the real services and hands over to Main.
#pragma once

namespace tarnwick {

int Run(int argc, char** argv);

}  // namespace tarnwick
