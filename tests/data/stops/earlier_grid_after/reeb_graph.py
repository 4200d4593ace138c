from pymol.cgo import *
from pymol import cmd
nodes1 = [
SPHERE,    0.00,   32.00,   24.00,0.5,
SPHERE,    8.00,   32.00,   24.00,0.5,
SPHERE,   16.00,   32.00,   24.00,0.5,
SPHERE,   24.00,   32.00,   16.00,0.5,
SPHERE,   32.00,    0.00,    0.00,0.5,
SPHERE,   32.00,   26.53,   18.11,0.5,
SPHERE,   40.00,    0.00,    0.00,0.5,
SPHERE,   40.00,   27.29,   17.88,0.5,
SPHERE,   48.00,   32.00,    0.00,0.5,
SPHERE,   48.00,   32.00,   24.00,0.5,
]
edges1 = [
LINEWIDTH,1.0,
BEGIN,LINES,
COLOR, 0.0,0.0,1.0,
 VERTEX,    0.00,   32.00,   24.00,
 VERTEX,    8.00,   32.00,   24.00,

COLOR, 0.0,0.0,1.0,
 VERTEX,    8.00,   32.00,   24.00,
 VERTEX,   16.00,   32.00,   24.00,

COLOR, 0.0,0.0,1.0,
 VERTEX,   16.00,   32.00,   24.00,
 VERTEX,   24.00,   32.00,   16.00,

COLOR, 0.0,1.0,0.0,
 VERTEX,   24.00,   32.00,   16.00,
 VERTEX,   32.00,   26.53,   18.11,

COLOR, 0.0,0.0,1.0,
 VERTEX,   32.00,    0.00,    0.00,
 VERTEX,   40.00,    0.00,    0.00,

COLOR, 1.0,0.0,0.0,
 VERTEX,   32.00,   26.53,   18.11,
 VERTEX,   40.00,   27.29,   17.88,

COLOR, 0.0,0.0,1.0,
 VERTEX,   40.00,   27.29,   17.88,
 VERTEX,   48.00,   32.00,    0.00,

COLOR, 0.0,1.0,0.0,
 VERTEX,   40.00,   27.29,   17.88,
 VERTEX,   48.00,   32.00,   24.00,

]
reebgraph1 = nodes1 + edges1
cmd.load_cgo(reebgraph1,'reebgraph',1)
nodes2 = [
SPHERE,   34.67,    0.00,   26.67,0.5,
SPHERE,   36.00,    8.00,   24.00,0.5,
SPHERE,   36.00,   16.00,   24.00,0.5,
SPHERE,   36.00,   24.00,   16.00,0.5,
SPHERE,   31.64,   32.00,   17.45,0.5,
SPHERE,   35.56,   40.00,   16.89,0.5,
]
edges2 = [
LINEWIDTH,1.0,
BEGIN,LINES,
COLOR, 0.0,0.0,1.0,
 VERTEX,   34.67,    0.00,   26.67,
 VERTEX,   36.00,    8.00,   24.00,

COLOR, 0.0,0.0,1.0,
 VERTEX,   36.00,    8.00,   24.00,
 VERTEX,   36.00,   16.00,   24.00,

COLOR, 0.0,0.0,1.0,
 VERTEX,   36.00,   16.00,   24.00,
 VERTEX,   36.00,   24.00,   16.00,

COLOR, 1.0,0.0,0.0,
 VERTEX,   36.00,   24.00,   16.00,
 VERTEX,   31.64,   32.00,   17.45,

COLOR, 1.0,0.0,0.0,
 VERTEX,   31.64,   32.00,   17.45,
 VERTEX,   35.56,   40.00,   16.89,

]
reebgraph2 = nodes2 + edges2
cmd.load_cgo(reebgraph2,'reebgraph',2)
nodes3 = [
SPHERE,   36.00,   32.00,    0.00,0.5,
SPHERE,   33.33,   30.67,    8.00,0.5,
SPHERE,   36.00,   32.00,   16.00,0.5,
SPHERE,   31.06,   23.53,   24.00,0.5,
SPHERE,   36.00,   32.00,   32.00,0.5,
SPHERE,   32.00,    0.00,   32.00,0.5,
]
edges3 = [
LINEWIDTH,1.0,
BEGIN,LINES,
COLOR, 1.0,0.0,0.0,
 VERTEX,   36.00,   32.00,    0.00,
 VERTEX,   33.33,   30.67,    8.00,

COLOR, 1.0,0.0,0.0,
 VERTEX,   33.33,   30.67,    8.00,
 VERTEX,   36.00,   32.00,   16.00,

COLOR, 1.0,0.0,0.0,
 VERTEX,   36.00,   32.00,   16.00,
 VERTEX,   31.06,   23.53,   24.00,

COLOR, 1.0,0.0,0.0,
 VERTEX,   31.06,   23.53,   24.00,
 VERTEX,   36.00,   32.00,   32.00,

COLOR, 0.0,0.0,1.0,
 VERTEX,   31.06,   23.53,   24.00,
 VERTEX,   32.00,    0.00,   32.00,

]
reebgraph3 = nodes3 + edges3
cmd.load_cgo(reebgraph3,'reebgraph',3)
