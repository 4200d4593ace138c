from pymol.cgo import *
from pymol import cmd
nodes1 = [
SPHERE,    0.00,    4.00,    4.00,0.5,
SPHERE,    2.00,    4.00,    4.00,0.5,
SPHERE,    4.00,    3.00,    3.00,0.5,
SPHERE,    6.00,    2.00,    2.00,0.5,
SPHERE,    6.00,    8.00,    8.00,0.5,
SPHERE,    8.00,    2.00,    2.00,0.5,
SPHERE,    8.00,    8.00,    8.00,0.5,
SPHERE,   10.00,    3.00,    3.00,0.5,
]
edges1 = [
LINEWIDTH,1.0,
BEGIN,LINES,
COLOR, 1.0,0.0,0.0,
 VERTEX,    0.00,    4.00,    4.00,
 VERTEX,    2.00,    4.00,    4.00,

COLOR, 0.0,1.0,0.0,
 VERTEX,    2.00,    4.00,    4.00,
 VERTEX,    4.00,    3.00,    3.00,

COLOR, 0.0,0.0,1.0,
 VERTEX,    4.00,    3.00,    3.00,
 VERTEX,    6.00,    2.00,    2.00,

COLOR, 0.0,0.0,1.0,
 VERTEX,    6.00,    2.00,    2.00,
 VERTEX,    8.00,    2.00,    2.00,

COLOR, 0.0,0.0,1.0,
 VERTEX,    6.00,    8.00,    8.00,
 VERTEX,    8.00,    8.00,    8.00,

COLOR, 0.0,0.0,1.0,
 VERTEX,    8.00,    2.00,    2.00,
 VERTEX,   10.00,    3.00,    3.00,

]
reebgraph1 = nodes1 + edges1
cmd.load_cgo(reebgraph1,'reebgraph',1)
