// sensorctl serve and sensorctl preview: the imaging page of the tree's
// channels, live over HTTP or as one static file.
#ifndef SENSORCTL_SERVE_COMMAND_H
#define SENSORCTL_SERVE_COMMAND_H

#include <string>
#include <vector>

int runServe(const std::vector<std::string>& args);
int runPreview(const std::vector<std::string>& args);

// Where the page's files are: SENSORCTL_WEB, else share/sensorctl/web
// beside the program's bin folder (as installed, and in the build tree).
std::string pageFilesDir();

// The page with its style sheet and script inlined and the state of every
// channel embedded, for opening without a server.
std::string previewPage(const std::string& filesDir, const std::string& statesJson);

#endif
