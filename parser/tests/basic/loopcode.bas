' Loops run as typed code: nested loops, exits, conditions, statements that run as trees
' from the typed code, values of other types, and errors with their lines.

' Exit For inside an If inside the inner of two For loops leaves only the inner one.
Function T() As String
 Dim i As Long, j As Long, n As Long
 For i = 1 To 4
  For j = 1 To 10
   If j > i Then Exit For
   n = n + j
  Next j
 Next i
 T = n & " " & i & " " & j
End Function
' expect: 20 5 5

' Exit Do inside a For inside a Do leaves the Do; Exit For inside a Do inside a For leaves the For.
Function T() As String
 Dim i As Long, k As Long, n As Long, m As Long
 Do
  k = k + 1
  For i = 1 To 3
   If k = 3 Then Exit Do
   n = n + 1
  Next i
 Loop
 For i = 1 To 5
  Do While m < 100
   m = m + 1
   If m Mod 7 = 0 Then Exit For
  Loop
 Next i
 T = k & " " & n & " " & m & " " & i
End Function
' expect: 3 6 7 1

' ElseIf chains, Do Until, Loop While, Step down and Integer loops.
Function T() As String
 Dim i As Integer, a As Long, b As Long, c As Long, s As Long
 For i = 10 To 1 Step -3
  If i > 8 Then
   a = a + i
  ElseIf i > 5 Then
   b = b + i
  Else
   c = c + i
  End If
 Next i
 Do Until s >= 10
  s = s + 3
 Loop
 Do
  s = s * 2
 Loop While s < 100
 T = a & " " & b & " " & c & " " & i & " " & s
End Function
' expect: 10 7 5 -2 192

' The body may change the variable; Double sums, a Double target fed with Longs.
Function T() As String
 Dim i As Long, n As Long, x As Double
 For i = 1 To 20
  i = i + 1
  n = n + 1
  x = x + i / 4
 Next i
 T = n & " " & x & " " & i
End Function
' expect: 10 27.5 21

' Statements the typed code cannot run (strings, calls, a Select) run as trees between typed ones.
Function Twice(v As Long) As Long
 Twice = v * 2
End Function
Function T() As String
 Dim i As Long, n As Long, s As String
 For i = 1 To 4
  n = n + Twice(i)
  s = s & i
  Select Case i
   Case 2
    n = n + 100
  End Select
 Next i
 T = n & " " & s
End Function
' expect: 120 1234

' A by-reference argument changes the loop variable from a call.
Sub Skip(v As Long)
 v = v + 2
End Sub
Function T() As String
 Dim i As Long, n As Long
 For i = 1 To 10
  n = n + i
  Skip i
 Next i
 T = n & " " & i
End Function
' expect: 22 13

' Values past a type's range leave the typed code: the tree gives the conversion or the error.
Function T() As String
 Dim i As Long, k As Integer, x As Double
 For i = 1 To 3
  x = x + 20000.5
  k = i * 12000
 Next i
 T = k & " " & x
End Function
' error: @5

Function T() As String
 Dim i As Long, n As Long
 For i = 1 To 10
  n = n + 1
  If i = 7 Then n = n * 1000000000
 Next i
 T = n
End Function
' error: @5

' The step past the end of an Integer's range is an overflow on the For line.
Function T() As String
 Dim i As Integer, n As Long
 For i = 32760 To 32767
  n = n + 1
 Next i
 T = n
End Function
' error: @3

' A loop on a member, run twice, goes on from the member's value.
Dim m As Long
Function Sum() As String
 Dim i As Long
 For i = 1 To 4
  m = m + i
 Next i
 Sum = m
End Function
Function T() As String
 T = Sum() & " " & Sum()
End Function
' expect: 10 20

' Members of Me and of an embedded object inside loops, Integer and Double members.
Dim c As Integer
Dim w As Double
Type Box
 Dim x As Long
 Dim y As Double
End Type
Function T() As String
 Dim i As Long
 For i = 1 To 6
  Me.c = Me.c + i
  w = w + c / 2
  Box.x = Box.x + c
  Box.y = Box.y - 0.25
 Next i
 T = c & " " & w & " " & Box.x & " " & Box.y
End Function
' expect: 21 28 56 -1.5
