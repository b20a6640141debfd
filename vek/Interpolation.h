// SPDX-License-Identifier: Apache-2.0
// Background gradient: a scan-line polygon fill that interpolates the corner
// colours along the edges and across each scan line.
#pragma once

#include "common_struct.h"

struct tEdge {
    int yUpper;
    float xIntersect;
    float dxPerScan;
    float rColor, gColor, bColor;
    float drPerScan, dgPerScan, dbPerScan;
    tEdge* next;
};
typedef tEdge Edge;

// Paints the whole plane (height rows of width r,g,b pixels) from the polygon.
// Corners come from the card and are not trusted: edges starting below the
// plane are dropped and pixels outside it are not written. When the painted
// rows cannot feed the top and bottom repeats (no scan line painted, or only
// the plane's first or last row) the plane is painted flat in the colour of
// the last corner instead.
void interpolation(unsigned char** background, int width, int height, VERTEX* vertex, int count);

void buildEdgeList(int count, VERTEX* vertex, Edge** edges, int height);
void makeEdgeRec(VERTEX lower, VERTEX upper, int yComp, Edge* edge, Edge** edges);
int yNext(int k, int count, VERTEX* vertex);
void insertEdge(Edge* list, Edge* edge);
void buildActiveList(int scan, Edge* active, Edge** edges);
void fillScan(unsigned char** background, int width, int scan, Edge* active);
void updateActiveList(int scan, Edge* active);
void deleteAfter(Edge* q);
void resortActiveList(Edge* active);
